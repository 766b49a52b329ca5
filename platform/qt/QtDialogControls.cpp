#include "platform/qt/QtDialogControls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>
#include <array>

namespace platform {

QString toQt(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
std::string fromQt(const QString& s) { return s.toLatin1().toStdString(); }

namespace {

// Room a push button keeps between its wrapped caption and its edges.
constexpr int ButtonTextMargin = 8;

// Breaks a caption into lines no wider than width, between words ("&" markers take no room).
QString wrapped(const QString& text, const QFontMetrics& metrics, int width)
{
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString& word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && metrics.horizontalAdvance(QString(candidate).remove(QLatin1Char('&'))) > width) {
                lines << line;
                line = word;
            } else {
                line = candidate;
            }
        }
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

Qt::Alignment horizontal(TextAlign align)
{
    return align == TextAlign::Right ? Qt::AlignRight : align == TextAlign::Centre ? Qt::AlignHCenter : Qt::AlignLeft;
}

// A button whose check state changes only when the host sets it.
template <class Base> class DialogButton final : public Base {
public:
    using Base::Base;

protected:
    void nextCheckState() override {}
};

// A scroll bar that reports what the user asks and moves only when the program sets it.
class DialogScrollBar final : public QScrollBar {
public:
    using QScrollBar::QScrollBar;
    std::function<void(ScrollRequest, int)> report;
    int lastTrack = 0; // where the thumb was last dragged to

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QScrollBar::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton)
            report(ScrollRequest::EndScroll, 0);
    }
    void keyReleaseEvent(QKeyEvent* event) override
    {
        const int k = event->key();
        const bool scrollKey = (k >= Qt::Key_Left && k <= Qt::Key_Down) || k == Qt::Key_PageUp || k == Qt::Key_PageDown
            || k == Qt::Key_Home || k == Qt::Key_End;
        if (scrollKey && !event->isAutoRepeat())
            report(ScrollRequest::EndScroll, 0);
        QScrollBar::keyReleaseEvent(event);
    }
    void wheelEvent(QWheelEvent* event) override
    {
        const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
        if (delta != 0) {
            report(delta > 0 ? ScrollRequest::LineUp : ScrollRequest::LineDown, 0);
            report(ScrollRequest::EndScroll, 0);
        }
        event->accept();
    }
    void contextMenuEvent(QContextMenuEvent*) override {} // its entries would move the bar by themselves
};

// What a kind's maker needs to connect the user's input.
struct Wiring {
    QObject* context;
    const QtInputReport& report;
    int id;

    // A functor that reports one of the dialog's input calls for this control.
    auto send(void (DialogInput::*call)(int)) const
    {
        return [report = report, id = id, call] { report([id, call](DialogInput& in) { (in.*call)(id); }); };
    }
};

QWidget* makeLabel(const ControlLayout& l, QWidget* box, const Wiring&)
{
    auto* label = new QLabel(box);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(horizontal(l.align) | Qt::AlignTop);
    label->setWordWrap(l.wordWrap);
    return label;
}

QWidget* makeIcon(const ControlLayout& l, QWidget* box, const Wiring&)
{
    auto* label = new QLabel(box);
    label->setPixmap(QApplication::windowIcon().pixmap(l.rect.width, l.rect.height));
    return label;
}

QWidget* makeGroupBox(const ControlLayout&, QWidget* box, const Wiring&)
{
    auto* group = new QGroupBox(box);
    group->setAttribute(Qt::WA_TransparentForMouseEvents);
    return group;
}

QWidget* makePushButton(const ControlLayout& l, QWidget* box, const Wiring&)
{
    auto* push = new DialogButton<QPushButton>(box);
    push->setAutoDefault(false);
    push->setDefault(l.isDefault);
    return push;
}

QWidget* makeCheckBox(const ControlLayout& l, QWidget* box, const Wiring&)
{
    auto* check = new DialogButton<QCheckBox>(box);
    check->setTristate(l.triState);
    return check;
}

QWidget* makeRadioButton(const ControlLayout&, QWidget* box, const Wiring&)
{
    auto* radio = new DialogButton<QRadioButton>(box);
    radio->setAutoExclusive(false);
    return radio;
}

QWidget* makeEdit(const ControlLayout& l, QWidget* box, const Wiring& wiring)
{
    auto* edit = new QLineEdit(box);
    edit->setFrame(l.border);
    edit->setReadOnly(l.readOnly);
    if (l.password)
        edit->setEchoMode(QLineEdit::Password);
    edit->setAlignment(horizontal(l.align) | Qt::AlignVCenter);
    // textEdited comes from the user only: a text the program sets reports nothing.
    QObject::connect(edit, &QLineEdit::textEdited, wiring.context, wiring.send(&DialogInput::onTextEdited));
    return edit;
}

QWidget* makeScrollBar(const ControlLayout& l, QWidget* box, const Wiring& wiring)
{
    auto* bar = new DialogScrollBar(l.vertical ? Qt::Vertical : Qt::Horizontal, box);
    // A new scroll bar control spans 0..100 with the thumb at 0.
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setPageStep(0);
    bar->report = [report = wiring.report, id = wiring.id](ScrollRequest r, int thumb) {
        report([=](DialogInput& in) { in.onScroll(id, r, thumb); });
    };
    QObject::connect(bar, &QAbstractSlider::sliderPressed, wiring.context, [bar] { bar->lastTrack = bar->value(); });
    QObject::connect(bar, &QAbstractSlider::sliderReleased, wiring.context,
                     [bar] { bar->report(ScrollRequest::ThumbPosition, bar->lastTrack); });
    QObject::connect(bar, &QAbstractSlider::actionTriggered, wiring.context, [bar](int action) {
        // Qt has already moved the thumb: report the request and put the thumb back where the
        // program left it.
        const int thumb = bar->sliderPosition();
        bar->setSliderPosition(bar->value());
        using A = QAbstractSlider::SliderAction;
        static constexpr std::array<std::pair<int, ScrollRequest>, 6> steps = {{
            {A::SliderSingleStepAdd, ScrollRequest::LineDown},
            {A::SliderSingleStepSub, ScrollRequest::LineUp},
            {A::SliderPageStepAdd, ScrollRequest::PageDown},
            {A::SliderPageStepSub, ScrollRequest::PageUp},
            {A::SliderToMinimum, ScrollRequest::Top},
            {A::SliderToMaximum, ScrollRequest::Bottom},
        }};
        for (const auto& [qtAction, request] : steps)
            if (action == qtAction)
                bar->report(request, 0);
        if (action == A::SliderMove) {
            if (bar->isSliderDown())
                bar->lastTrack = thumb;
            bar->report(bar->isSliderDown() ? ScrollRequest::ThumbTrack : ScrollRequest::ThumbPosition, thumb);
        }
    });
    return bar;
}

QWidget* makeListBox(const ControlLayout& l, QWidget* box, const Wiring& wiring)
{
    auto* list = new QListWidget(box);
    list->setSelectionMode(l.selection == ListSelection::Multiple       ? QAbstractItemView::MultiSelection
                               : l.selection == ListSelection::Extended ? QAbstractItemView::ExtendedSelection
                                                                        : QAbstractItemView::SingleSelection);
    QObject::connect(list, &QListWidget::itemSelectionChanged, wiring.context,
                     wiring.send(&DialogInput::onListSelection));
    QObject::connect(list, &QListWidget::itemDoubleClicked, wiring.context,
                     wiring.send(&DialogInput::onListDoubleClick));
    return list;
}

QWidget* makeComboBox(const ControlLayout& l, QWidget* box, const Wiring& wiring)
{
    auto* combo = new QComboBox(box);
    combo->setEditable(l.editable);
    combo->setInsertPolicy(QComboBox::NoInsert);
    if (l.editable) {
        combo->setCompleter(nullptr); // the system's combo box completes nothing
        QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, wiring.context,
                         wiring.send(&DialogInput::onTextEdited));
    }
    QObject::connect(combo, &QComboBox::currentIndexChanged, wiring.context,
                     wiring.send(&DialogInput::onListSelection));
    return combo;
}

// A class the host does not know: an empty placeholder.
QWidget* makeOther(const ControlLayout&, QWidget* box, const Wiring&) { return new QWidget(box); }

template <class W> W* as(const QtControl& c) { return static_cast<W*>(c.widget.data()); }

// The caption kept beside a widget that shows something else, or nothing.
QString keptText(const QtControl& c) { return c.text; }
void keepText(QtControl& c, const QString& t) { c.text = t; }

// One kind of control: its widget, and where its caption or text lives.
struct Kind {
    QWidget* (*make)(const ControlLayout&, QWidget*, const Wiring&);
    QString (*text)(const QtControl&);
    void (*setText)(QtControl&, const QString&);
};

QString buttonText(const QtControl& c) { return as<QAbstractButton>(c)->text(); }
void setButtonText(QtControl& c, const QString& t) { as<QAbstractButton>(c)->setText(t); }

// In ControlType order.
constexpr Kind Kinds[] = {
    /* Static */ {makeLabel, [](const QtControl& c) { return as<QLabel>(c)->text(); },
                  [](QtControl& c, const QString& t) { as<QLabel>(c)->setText(t); }},
    /* Icon */ {makeIcon, keptText, keepText},
    /* GroupBox */
    {makeGroupBox, [](const QtControl& c) { return as<QGroupBox>(c)->title(); },
     [](QtControl& c, const QString& t) { as<QGroupBox>(c)->setTitle(t); }},
    /* PushButton */
    {makePushButton, keptText,
     [](QtControl& c, const QString& t) {
         // A multi-line caption wraps to the width.
         auto* button = as<QPushButton>(c);
         c.text = t;
         button->setText(
             c.layout.multiLine ? wrapped(t, QFontMetrics(button->font()), button->width() - ButtonTextMargin) : t);
     }},
    /* CheckBox */ {makeCheckBox, buttonText, setButtonText},
    /* RadioButton */ {makeRadioButton, buttonText, setButtonText},
    /* Edit */
    {makeEdit, [](const QtControl& c) { return as<QLineEdit>(c)->text(); },
     [](QtControl& c, const QString& t) {
         as<QLineEdit>(c)->setText(t);
         as<QLineEdit>(c)->setCursorPosition(0); // a set text leaves the caret at its start
     }},
    /* ScrollBar */ {makeScrollBar, keptText, keepText},
    /* ListBox */ {makeListBox, keptText, keepText},
    /* ComboBox */
    {makeComboBox, [](const QtControl& c) { return as<QComboBox>(c)->currentText(); },
     [](QtControl& c, const QString& t) {
         if (as<QComboBox>(c)->isEditable())
             as<QComboBox>(c)->setEditText(t);
     }},
    /* Other */ {makeOther, keptText, keepText},
};
static_assert(std::size(Kinds) == static_cast<std::size_t>(ControlType::Other) + 1);

const Kind& kindOf(const QtControl& c) { return Kinds[static_cast<std::size_t>(c.layout.type)]; }

QListWidget* listOf(const QtControl& c) { return c.layout.type == ControlType::ListBox ? as<QListWidget>(c) : nullptr; }
QComboBox* comboOf(const QtControl& c) { return c.layout.type == ControlType::ComboBox ? as<QComboBox>(c) : nullptr; }

} // namespace

void createControlWidget(QtControl& c, QWidget* box, QObject* context, const QtInputReport& report)
{
    const ControlLayout& l = c.layout;
    QWidget* w = kindOf(c).make(l, box, Wiring{context, report, l.id});
    c.widget = w;
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        QObject::connect(button, &QAbstractButton::clicked, context,
                         Wiring{context, report, l.id}.send(&DialogInput::onClick));
    QRect r(l.rect.x, l.rect.y, l.rect.width, l.rect.height);
    if (l.type == ControlType::ComboBox)
        r.setHeight(w->sizeHint().height()); // the layout's height includes the dropped list
    w->setGeometry(r);
    kindOf(c).setText(c, toQt(l.caption)); // after the geometry: a multi-line caption wraps to the width
    w->setFocusPolicy(!canTakeFocus(l) ? Qt::NoFocus : l.tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    w->setEnabled(l.enabled);
    if (!l.visible)
        w->hide();
}

QString controlText(const QtControl& c) { return kindOf(c).text(c); }
void setControlText(QtControl& c, const QString& text) { kindOf(c).setText(c, text); }

void selectControlText(QtControl& c, int start, int end)
{
    QLineEdit* edit = c.layout.type == ControlType::Edit ? as<QLineEdit>(c)
        : comboOf(c)                                     ? comboOf(c)->lineEdit()
                                                         : nullptr;
    if (edit == nullptr)
        return;
    const int size = static_cast<int>(edit->text().size());
    const int from = std::clamp(start, 0, size);
    edit->setSelection(from, (end < 0 ? size : std::clamp(end, from, size)) - from);
}

int controlCheck(const QtControl& c)
{
    if (c.layout.type != ControlType::CheckBox && c.layout.type != ControlType::RadioButton)
        return Unchecked;
    const auto* check = qobject_cast<const QCheckBox*>(c.widget.data());
    return check && check->checkState() == Qt::PartiallyChecked ? 2
        : as<QAbstractButton>(c)->isChecked()                   ? Checked
                                                                : Unchecked;
}

void setControlCheck(QtControl& c, int state)
{
    if (c.layout.type == ControlType::CheckBox) {
        auto* check = as<QCheckBox>(c);
        check->setCheckState(state == Unchecked                      ? Qt::Unchecked
                                 : state == 2 && check->isTristate() ? Qt::PartiallyChecked
                                                                     : Qt::Checked);
    } else if (c.layout.type == ControlType::RadioButton) {
        as<QAbstractButton>(c)->setChecked(state != Unchecked);
    }
}

QScrollBar* scrollBarOf(const QtControl& c)
{
    return c.layout.type == ControlType::ScrollBar ? as<QScrollBar>(c) : nullptr;
}

int itemCount(const QtControl& c) { return listOf(c) ? listOf(c)->count() : comboOf(c) ? comboOf(c)->count() : 0; }

QString itemText(const QtControl& c, int index)
{
    if (index < 0 || index >= itemCount(c))
        return {};
    return listOf(c) ? listOf(c)->item(index)->text() : comboOf(c)->itemText(index);
}

void clearItems(QtControl& c)
{
    if (QListWidget* list = listOf(c))
        list->clear();
    else if (QComboBox* combo = comboOf(c))
        combo->clear();
}

void addItem(QtControl& c, const QString& text)
{
    const int at = c.layout.sorted
        ? sortedItemPosition(fromQt(text), itemCount(c), [&](int i) { return fromQt(itemText(c, i)); })
        : itemCount(c);
    if (QListWidget* list = listOf(c)) {
        list->insertItem(at, text);
    } else if (QComboBox* combo = comboOf(c)) {
        // Adding to an empty combo box selects nothing and leaves its edit field alone.
        const int before = combo->currentIndex();
        const QString editText = combo->currentText();
        combo->insertItem(at, text);
        if (before < 0) {
            combo->setCurrentIndex(-1);
            if (combo->isEditable())
                combo->setEditText(editText);
        }
    }
}

int currentItem(const QtControl& c)
{
    if (QListWidget* list = listOf(c)) {
        if (list->selectionMode() != QAbstractItemView::SingleSelection)
            return list->currentRow(); // the caret
        const QList<QListWidgetItem*> selected = list->selectedItems();
        return selected.isEmpty() ? -1 : list->row(selected.front());
    }
    return comboOf(c) ? comboOf(c)->currentIndex() : -1;
}

bool isItemSelected(const QtControl& c, int index)
{
    if (index < 0 || index >= itemCount(c))
        return false;
    return listOf(c) ? listOf(c)->item(index)->isSelected() : comboOf(c)->currentIndex() == index;
}

void selectItem(QtControl& c, int index)
{
    if (QListWidget* list = listOf(c)) {
        const bool single = list->selectionMode() == QAbstractItemView::SingleSelection;
        if (single || index < 0)
            list->clearSelection();
        if (index < 0 || index >= list->count())
            return;
        if (single) {
            list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
        } else {
            list->item(index)->setSelected(true);
            list->selectionModel()->setCurrentIndex(list->model()->index(index, 0), QItemSelectionModel::NoUpdate);
        }
    } else if (QComboBox* combo = comboOf(c)) {
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    }
}

} // namespace platform
