// The system dialogs role of the Qt platform: message boxes, the save-file dialog, and printing
// (the print dialog with the printer kept from job to job, the job, and its abort box).

#include "platform/qt/QtConvert.h"
#include "platform/qt/QtPlatformImpl.h"

#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <utility>
#include <vector>

namespace platform {

MessageAnswer QtPlatform::Impl::messageBox(const MessageBoxRequest& request)
{
    QMessageBox box(frame);
    box.setWindowTitle(toQString(request.caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(toQString(request.text));
    switch (request.icon) {
    case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    std::vector<std::pair<MessageAnswer, QMessageBox::StandardButton>> buttons;
    switch (request.buttons) {
    case MessageButtons::Ok: buttons = {{MessageAnswer::Ok, QMessageBox::Ok}}; break;
    case MessageButtons::OkCancel:
        buttons = {{MessageAnswer::Ok, QMessageBox::Ok}, {MessageAnswer::Cancel, QMessageBox::Cancel}};
        break;
    case MessageButtons::YesNo:
        buttons = {{MessageAnswer::Yes, QMessageBox::Yes}, {MessageAnswer::No, QMessageBox::No}};
        break;
    case MessageButtons::YesNoCancel:
        buttons = {{MessageAnswer::Yes, QMessageBox::Yes},
                   {MessageAnswer::No, QMessageBox::No},
                   {MessageAnswer::Cancel, QMessageBox::Cancel}};
        break;
    }
    QPushButton* defaultButton = nullptr;
    for (const auto& [answer, standard] : buttons) {
        QPushButton* button = box.addButton(standard);
        if (!defaultButton || (request.defaultAnswer && *request.defaultAnswer == answer))
            defaultButton = button;
        if (answer == MessageAnswer::Cancel || request.buttons == MessageButtons::Ok)
            box.setEscapeButton(button);
    }
    box.setDefaultButton(defaultButton);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    QMessageBox::StandardButton chosen = box.standardButton(box.clickedButton());
    for (const auto& [answer, standard] : buttons)
        if (standard == chosen)
            return answer;
    // Closed without a button (a yes/no box has no escape button): the most cautious answer.
    return buttons.size() > 1 ? buttons[1].first : buttons[0].first;
}

namespace {

// Keeps a widget hidden that its owner would show.
class StayHidden final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Sent whenever the widget is made visible, shown on screen or not yet.
        if (event->type() == QEvent::ShowToParent)
            if (auto* widget = qobject_cast<QWidget*>(watched))
                QTimer::singleShot(0, widget, [widget] { widget->hide(); });
        return false;
    }
};

// A job on the kept printer: the document is a painter on it, one page drawn with the picture.
// Used on the GUI thread (the frame's commands run there).
class QtPrintJob final : public PrintJob {
public:
    explicit QtPrintJob(QPrinter& printer) : m_printer(printer) {}
    ~QtPrintJob() override
    {
        if (m_painter.isActive())
            abortDocument();
    }

    PrinterFacts facts() const override
    {
        return {m_printer.width(), m_printer.height(), m_printer.logicalDpiX(), m_printer.logicalDpiY()};
    }
    bool startDocument(std::string_view name, int copies) override
    {
        m_printer.setDocName(toQString(name));
        m_printer.setCopyCount(copies);
        return m_painter.begin(&m_printer);
    }
    bool startPage() override
    {
        // The document opens on its first page; later pages are asked for.
        if (!m_painter.isActive())
            return false;
        return m_pages++ == 0 || m_printer.newPage();
    }
    bool drawPicture(const IndexedPicture& picture, Rect target) override
    {
        QImage image = toImage(picture);
        if (image.isNull() || !m_painter.isActive() || target.width <= 0 || target.height <= 0)
            return false;
        // A plain copy of the picture: no smoothing, and stored losslessly (the PDF writer would
        // otherwise compress it as JPEG and blur the balls' edges).
        m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        m_painter.setRenderHint(QPainter::LosslessImageRendering, true);
        m_painter.drawImage(QRect(target.x, target.y, target.width, target.height), image);
        return m_painter.isActive();
    }
    bool endPage() override { return m_painter.isActive(); }
    bool endDocument() override { return m_painter.end(); }
    void abortDocument() override
    {
        if (!m_painter.isActive())
            return;
        const bool toFile = m_printer.outputFormat() == QPrinter::PdfFormat;
        const QString file = m_printer.outputFileName();
        m_printer.abort();
        m_painter.end();
        // A file printer cannot take a document back: remove what was written of it.
        if (toFile && !file.isEmpty())
            QFile::remove(file);
    }
    void serviceMessages() override { QCoreApplication::processEvents(QEventLoop::AllEvents); }

private:
    QPrinter& m_printer;
    QPainter m_painter;
    int m_pages = 0;
};

// The modeless box of a running print job; Cancel (or closing it) cancels the job.
class AbortBox final : public QDialog {
public:
    AbortBox(QWidget* owner, std::function<void()> cancel) : QDialog(owner), m_cancel(std::move(cancel))
    {
        setWindowTitle(QStringLiteral("Printing "));
        setModal(false);
        // 100 x 60 dialog units, its controls at their places in dialog units (base units 6 x 13).
        auto px = [](int x) { return (x * 6 + 2) / 4; };
        auto py = [](int y) { return (y * 13 + 4) / 8; };
        setFixedSize(px(100), py(60));
        auto* text = new QLabel(QStringLiteral("Printing In Progress..."), this);
        text->setObjectName(QStringLiteral("text"));
        text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        text->setGeometry(px(0), py(15), px(100), py(20));
        auto* button = new QPushButton(QStringLiteral("Cancel"), this);
        button->setObjectName(QStringLiteral("cancel"));
        button->setGeometry(px(30), py(40), px(40), py(14));
        connect(button, &QPushButton::clicked, this, [this] { reject(); });
        if (QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen()) {
            // ((screen - box) / 5) in dialog units.
            const QSize size = screen->size();
            const int duWidth = size.width() * 4 / 6, duHeight = size.height() * 8 / 13;
            move(px((duWidth - 100) / 5), py((duHeight - 60) / 5));
        }
    }

    void reject() override
    {
        // The handler closes the box; it runs once.
        if (auto cancel = std::exchange(m_cancel, nullptr))
            cancel();
    }

private:
    std::function<void()> m_cancel;
};

} // namespace

PrintDialogResult QtPlatform::Impl::printDialog()
{
    PrintDialogResult result;
    if (!printer)
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    bool accepted;
    if (printDialogHook) {
        accepted = printDialogHook(*printer);
    } else {
        QPrintDialog dialog(printer.get(), frame);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
        // The whole picture prints on one page: the options panel offers no range of pages. The
        // dialog shows that group again as it opens, so it is hidden whenever it shows.
        StayHidden stayHidden;
        if (auto* range = dialog.findChild<QWidget*>(QStringLiteral("gbPrintRange"))) {
            range->installEventFilter(&stayHidden);
            range->hide();
        }
        dialog.setWindowModality(Qt::ApplicationModal);
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (!accepted) {
        result.outcome = PrintDialogOutcome::Cancelled;
        return result;
    }
    // The dialog offers a file printer always: only a printer that is not even that fails.
    if (!printer->isValid()) {
        result.outcome = PrintDialogOutcome::NoPrinter;
        return result;
    }
    if (printer->outputFormat() == QPrinter::PdfFormat && printer->outputFileName().isEmpty()) {
        result.outcome = PrintDialogOutcome::Failed;
        return result;
    }
    result.outcome = PrintDialogOutcome::Accepted;
    result.job = std::make_unique<QtPrintJob>(*printer);
    return result;
}

bool QtPlatform::Impl::showAbortBox(std::function<void()> onCancel)
{
    closeAbortBox();
    abortCancel = std::move(onCancel);
    abortBox = new AbortBox(frame, [this] {
        if (auto cancel = abortCancel)
            cancel();
    });
    abortBox->setAttribute(Qt::WA_DeleteOnClose, false);
    abortBox->show();
    return true;
}

void QtPlatform::Impl::closeAbortBox()
{
    abortCancel = nullptr;
    if (abortBox) {
        abortBox->hide();
        // Later: Cancel's own click handler may be what closes it.
        abortBox->deleteLater();
        abortBox = nullptr;
    }
}

MessageAnswer QtPlatform::messageBox(const MessageBoxRequest& request)
{
    // When the GUI thread no longer serves (the loop has ended), the box cannot be shown: the
    // answer is the one a cautious user would give, as for a box closed without a button.
    MessageAnswer cautious = MessageAnswer::Ok;
    switch (request.buttons) {
    case MessageButtons::Ok: break;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel: cautious = MessageAnswer::Cancel; break;
    case MessageButtons::YesNo: cautious = MessageAnswer::No; break;
    }
    return d->invoker.runOr(cautious, [&] { return d->messageBox(request); });
}

std::optional<std::string> QtPlatform::openFileDialog(const OpenFileRequest& request)
{
    return d->invoker.run([&]() -> std::optional<std::string> {
        QFileDialog dialog(d->frame);
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        QStringList filters;
        for (const FileFilter& f : request.filters)
            filters << toQString(f.description);
        dialog.setNameFilters(filters);
        dialog.setWindowModality(Qt::ApplicationModal);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        const QStringList files = dialog.selectedFiles();
        if (files.isEmpty() || files.front().isEmpty())
            return std::nullopt;
        return QFile::encodeName(files.front()).toStdString();
    });
}

namespace {

// The save dialog that adds its default extension only to names that need one: a name typed with
// an extension, or one of the request's bare names (POSCAR), is given as typed. The overwrite
// question, asked as the dialog accepts, is about that name.
class SaveDialog final : public QFileDialog {
public:
    SaveDialog(QWidget* parent, const SaveFileRequest& request) : QFileDialog(parent), m_request(request) {}

    // The extension a name without one takes.
    void setExtension(const QString& extension)
    {
        m_extension = extension;
        setDefaultSuffix(extension);
    }

    void accept() override
    {
        const auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const bool kept = edit && keepsTypedName(QFile::encodeName(edit->text()).toStdString(), m_request);
        setDefaultSuffix(kept ? QString() : m_extension);
        QFileDialog::accept();
    }

private:
    const SaveFileRequest& m_request;
    QString m_extension;
};

} // namespace

std::optional<std::string> QtPlatform::saveFileDialog(const SaveFileRequest& request)
{
    return d->invoker.run([&]() -> std::optional<std::string> {
        SaveDialog dialog(d->frame, request);
        if (!request.title.empty())
            dialog.setWindowTitle(toQString(request.title));
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
        QStringList filters;
        for (const FileFilter& f : request.filters) {
            QString text = toQString(f.description);
            if (!text.contains(QLatin1Char('(')))
                text += QStringLiteral(" (%1)").arg(toQString(f.pattern));
            filters << text;
        }
        dialog.setNameFilters(filters);
        if (!filters.isEmpty())
            dialog.selectNameFilter(filters.front());
        dialog.setExtension(toQString(request.defaultExtension));
        // A name typed without an extension takes the one of the filter the user chose.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &request, filters](const QString& chosen) {
                             const auto index = filters.indexOf(chosen);
                             if (index < 0 || std::size_t(index) >= request.filters.size())
                                 return;
                             const std::string& pattern = request.filters[std::size_t(index)].pattern;
                             if (pattern.rfind("*.", 0) == 0 && pattern.find_first_of("*?", 2) == std::string::npos)
                                 dialog.setExtension(toQString(pattern.substr(2)));
                         });
        dialog.setWindowModality(Qt::ApplicationModal);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        const QStringList files = dialog.selectedFiles();
        if (files.isEmpty() || files.front().isEmpty())
            return std::nullopt;
        return QFile::encodeName(files.front()).toStdString();
    });
}

PrintDialogResult QtPlatform::printDialog()
{
    return d->invoker.runOr(PrintDialogResult{PrintDialogOutcome::Cancelled, nullptr},
                            [&] { return d->printDialog(); });
}

bool QtPlatform::showPrintAbortBox(std::function<void()> onCancel)
{
    return d->invoker.run([&] { return d->showAbortBox(std::move(onCancel)); });
}

void QtPlatform::closePrintAbortBox()
{
    d->invoker.run([&] { d->closeAbortBox(); });
}

QPrinter* QtPlatform::keptPrinter()
{
    if (!d->printer)
        d->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return d->printer.get();
}

void QtPlatform::setPrintDialogHook(std::function<bool(QPrinter&)> hook) { d->printDialogHook = std::move(hook); }

QDialog* QtPlatform::printAbortBox() const { return d->abortBox.data(); }
} // namespace platform
