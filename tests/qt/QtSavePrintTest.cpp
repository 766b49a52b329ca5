// The Qt platform's save dialog, clipboard, mouse marking and printing on the offscreen plugin,
// and the frame's Print command on it end to end.

#include "platform/qt/QtPlatform.h"
#include "winrt/Frame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QProcess>
#include <QFileDialog>
#include <QLineEdit>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>

using namespace platform;

namespace {

// Paints a 40 x 30 picture of index (x + y) % 4 over four colours, and records mouse events.
class Events final : public FrameEvents {
public:
    void command(int) override {}
    void helpOnMenuItem(int) override {}
    void paint(WindowId, const std::function<void(const PictureView&)>& draw) override
    {
        PictureView view;
        view.width = 40;
        view.height = 30;
        view.pixels = pixels;
        view.palette = palette;
        view.marked = marked;
        draw(view);
    }
    void scroll(WindowId, ScrollAxis, WindowScroll, int) override {}
    void resized(WindowId) override {}
    void key(WindowId, const KeyPress&) override {}
    void frameClosing() override {}
    void mouse(WindowId window, const MouseEvent& e) override { mice.push_back({window, e.action, e.x, e.y}); }

    struct Mouse {
        WindowId window;
        MouseAction action;
        int x, y;
        bool operator==(const Mouse&) const = default;
    };
    std::vector<Mouse> mice;
    std::vector<std::uint8_t> pixels = [] {
        std::vector<std::uint8_t> p(40 * 30);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                p[std::size_t(y * 40 + x)] = std::uint8_t((x + y) % 4);
        return p;
    }();
    std::vector<Rgb> palette{Rgb{0, 0, 0}, Rgb{255, 0, 0}, Rgb{0, 255, 0}, Rgb{0x56, 0x34, 0x12}};
    std::vector<Rect> marked;
};

// Runs check on the modal widget of type T once it appears, from the event loop, and again
// every 100 ms while it stays open: a file dialog may refuse an accept that comes before its
// file-system model has settled.
template <class T> void whenModal(std::function<void(T*)> check)
{
    // Owned by the application, so that a timer still waiting when the test ends goes with it.
    auto* timer = new QTimer(qApp);
    timer->setInterval(100);
    auto seen = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, check, seen] {
        T* found = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!found)
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* w = qobject_cast<T*>(top); w && w->isVisible()) {
                    found = w;
                    break;
                }
        if (found) {
            // Once on sight, then once a second while it stays open.
            if ((*seen)++ % 10 == 0)
                check(found);
        } else if (*seen) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

QRgb colourAt(QWidget* widget, QPoint at) { return widget->grab().toImage().pixel(at); }

} // namespace

TEST(QtSaveDialog, OffersBitmapFilesFirstAndAddsTheDefaultExtension)
{
    QtPlatform platform;
    platform.frameWindow()->show();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList filters;
    QString suffix;
    bool confirms = false;
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        filters = dialog->nameFilters();
        suffix = dialog->defaultSuffix();
        confirms =
            !dialog->testOption(QFileDialog::DontConfirmOverwrite) && dialog->acceptMode() == QFileDialog::AcceptSave;
        EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("Bitmap Files(*.bmp)"));
        // Typed into the file name box, as a user does; accepted from the event loop.
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            edit->setText(dir.filePath(QStringLiteral("picture")));
        else
            dialog->selectFile(dir.filePath(QStringLiteral("picture")));
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    SaveFileRequest request{{{"Bitmap Files(*.bmp)", "*.bmp"}, {"All Files(*.*)", "*.*"}}, "bmp", true, {}, {}};
    const auto path = platform.saveFileDialog(request);
    EXPECT_EQ(filters, (QStringList{"Bitmap Files(*.bmp)", "All Files(*.*)"}));
    EXPECT_EQ(suffix, "bmp");
    EXPECT_TRUE(confirms);
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, dir.filePath(QStringLiteral("picture.bmp")).toStdString());

    whenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_FALSE(platform.saveFileDialog(request)) << "cancel gives no path";
}

TEST(QtSaveDialog, AddsTheExtensionOnlyToNamesThatNeedOne)
{
    QtPlatform platform;
    platform.frameWindow()->show();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SaveFileRequest request{{{"Extended XYZ (*.xyz)", "*.xyz"}}, "xyz", true, "Export Slab", {"POSCAR", "CONTCAR"}};
    const struct {
        const char* typed;
        const char* written;
    } rows[] = {{"POSCAR", "POSCAR"}, {"CONTCAR", "CONTCAR"},   {"POSCAR_Cu", "POSCAR_Cu"},
                {"slab", "slab.xyz"}, {"poscar", "poscar.xyz"}, {"slab.cif", "slab.cif"}};
    for (const auto& row : rows) {
        QString title;
        whenModal<QFileDialog>([&](QFileDialog* dialog) {
            title = dialog->windowTitle();
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(dir.filePath(row.typed));
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        });
        const auto path = platform.saveFileDialog(request);
        EXPECT_EQ(title, "Export Slab");
        ASSERT_TRUE(path) << row.typed;
        EXPECT_EQ(*path, dir.filePath(row.written).toStdString()) << row.typed;
    }
}

TEST(QtClipboard, TextAndAPictureWithItsExactColours)
{
    QtPlatform platform;
    ASSERT_TRUE(platform.setClipboardText("line 1\r\n\x80 5"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("line 1\r\n\u20AC 5"));
    EXPECT_EQ(platform.clipboardText(), "line 1\r\n\x80 5") << "the euro sign is code 0x80";
    QGuiApplication::clipboard()->setText(QString::fromUtf8("caf\u00E9 \u4E2D"));
    EXPECT_EQ(platform.clipboardText(), "caf\xE9 ?");

    IndexedPicture picture;
    picture.width = 3;
    picture.height = 2;
    picture.pixels = {0, 1, 2, 2, 1, 255};
    picture.palette.assign(256, Rgb{});
    picture.palette[0] = Rgb{3, 2, 1};
    picture.palette[1] = Rgb{0xFC, 0xFD, 0xFE};
    picture.palette[2] = Rgb{0x81, 0x81, 0x80};
    picture.palette[255] = Rgb{0x7F, 0xFF, 0};
    ASSERT_TRUE(platform.setClipboardImage(picture));
    const QImage image = QGuiApplication::clipboard()->image();
    ASSERT_EQ(image.size(), QSize(3, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const Rgb c = picture.palette[picture.pixels[std::size_t(y * 3 + x)]];
            EXPECT_EQ(image.pixel(x, y) & 0xFFFFFF, qRgb(c.red, c.green, c.blue) & 0xFFFFFF) << x << "," << y;
        }
    EXPECT_FALSE(platform.clipboardText()) << "a picture replaces the text";
}

TEST(QtMouse, LeftButtonEventsAndTheMarkedAreaShownInverted)
{
    QtPlatform platform;
    Events events;
    platform.setFrameEvents(&events);
    platform.frameWindow()->resize(600, 400);
    platform.frameWindow()->show();
    const WindowId child = platform.createChildWindow("planes");
    platform.moveWindow(child, {0, 0, 200, 150});
    platform.showWindow(child);
    QCoreApplication::processEvents();
    QWidget* picture = platform.pictureWidget(child);
    ASSERT_TRUE(picture);

    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(5, 6));
    QMouseEvent move(QEvent::MouseMove, QPointF(12, 9), picture->mapToGlobal(QPointF(12, 9)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(picture, &move);
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(20, 15));
    QTest::mousePress(picture, Qt::RightButton, {}, QPoint(1, 1));
    using M = Events::Mouse;
    EXPECT_EQ(events.mice,
              (std::vector<M>{{child, MouseAction::Press, 5, 6},
                              {child, MouseAction::Move, 12, 9},
                              {child, MouseAction::Release, 20, 15}}));

    // (10, 10) shows index 0 (black): inverted it is white; outside the marked area it is not.
    EXPECT_EQ(colourAt(picture, {10, 10}) & 0xFFFFFF, 0x000000u);
    events.marked = {{8, 8, 5, 5}};
    picture->update();
    QCoreApplication::processEvents();
    EXPECT_EQ(colourAt(picture, {10, 10}) & 0xFFFFFF, 0xFFFFFFu);
    // (11, 10) shows index 1, pure red: inverted it is cyan.
    EXPECT_EQ(colourAt(picture, {11, 10}) & 0xFFFFFF, 0x00FFFFu);
    EXPECT_EQ(colourAt(picture, {14, 12}) & 0xFFFFFF, 0x00FF00u) << "index 2 (green) outside, not inverted";
    platform.setFrameEvents(nullptr);
}

TEST(QtPrint, OnePageToAPdfFileAndTheAbortBox)
{
    QtPlatform platform;
    platform.frameWindow()->show();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("page.pdf"));
    platform.setPrintDialogHook([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        return true;
    });
    PrintDialogResult result = platform.printDialog();
    ASSERT_EQ(result.outcome, PrintDialogOutcome::Accepted);
    ASSERT_TRUE(result.job);
    const PrinterFacts facts = result.job->facts();
    EXPECT_GT(facts.printableWidth, 1000);
    EXPECT_EQ(facts.dpiX, facts.dpiY);
    IndexedPicture picture{4, 2, {0, 1, 1, 0, 1, 0, 0, 1}, {Rgb{0, 0, 0}, Rgb{255, 255, 255}}};
    ASSERT_TRUE(result.job->startDocument("planes", 1));
    ASSERT_TRUE(result.job->startPage());
    ASSERT_TRUE(result.job->drawPicture(picture, {0, 0, facts.printableWidth, facts.printableWidth / 2}));
    ASSERT_TRUE(result.job->endPage());
    ASSERT_TRUE(result.job->endDocument());
    result.job.reset();
    QFile pdf(file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page/")
                  + bytes.count("/Type /Page "),
              1)
        << "one page";
    pdf.close();
    // The picture is stored losslessly: an image of its own colours, no JPEG.
    QProcess images;
    images.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), file});
    if (images.waitForFinished(60000) && images.exitCode() == 0) {
        const QString listing = QString::fromLocal8Bit(images.readAllStandardOutput());
        EXPECT_FALSE(listing.contains(QStringLiteral("jpeg"))) << listing.toStdString();
        EXPECT_TRUE(listing.contains(QStringLiteral(" image "))) << listing.toStdString();
    } else {
        ADD_FAILURE() << "pdfimages (poppler-utils) did not run";
    }

    // The kept printer keeps its settings; an abandoned document leaves no file.
    EXPECT_EQ(platform.keptPrinter()->outputFileName(), file);
    QFile::remove(file);
    platform.setPrintDialogHook({});
    whenModal<QDialog>([](QDialog* dialog) {
        // One picture, one page: the options offer no page range.
        auto* range = dialog->findChild<QWidget*>(QStringLiteral("gbPrintRange"));
        EXPECT_TRUE(range && range->isHidden());
        dialog->accept();
    });
    result = platform.printDialog();
    ASSERT_EQ(result.outcome, PrintDialogOutcome::Accepted) << "the real dialog, accepted as it stands";
    ASSERT_TRUE(result.job->startDocument("planes", 1));
    result.job->abortDocument();
    EXPECT_FALSE(QFile::exists(file));
    result.job.reset();

    // The abort box: its texts, usable while the frame is disabled, Cancel runs the handler.
    int cancels = 0;
    ASSERT_TRUE(platform.showPrintAbortBox([&] {
        ++cancels;
        platform.setFrameEnabled(true);
        platform.closePrintAbortBox();
    }));
    QDialog* box = platform.printAbortBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->windowTitle(), "Printing ");
    EXPECT_FALSE(box->isModal());
    auto* text = box->findChild<QLabel*>();
    auto* cancel = box->findChild<QPushButton*>();
    ASSERT_TRUE(text && cancel);
    EXPECT_EQ(text->text(), "Printing In Progress...");
    EXPECT_EQ(cancel->text(), "Cancel");
    platform.setFrameEnabled(false);
    EXPECT_FALSE(platform.frameWindow()->isEnabled());
    EXPECT_TRUE(box->isEnabled());
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(platform.frameWindow()->isEnabled());
    EXPECT_FALSE(platform.printAbortBox());
}

TEST(QtPrint, CancelInTheAbortBoxStopsTheFramesJobWithNoMessage)
{
    QtPlatform platform;
    platform.frameWindow()->show();
    winrt::WindowRuntime windows(platform);
    winrt::FrameRuntime frame(platform, windows, "facetor");
    frame.start();
    winrt::WindowConfig c;
    c.pixel_width = 200;
    c.pixel_height = 100;
    c.colour_count = 256;
    c.setTitle("planes");
    ASSERT_TRUE(windows.set_window_config(c) || windows.set_window_config(c));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("cancelled.pdf"));
    platform.setPrintDialogHook([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        // Cancel is pressed as soon as the job serves its messages.
        QTimer::singleShot(0, [&] {
            if (QDialog* box = platform.printAbortBox())
                QTest::mouseClick(box->findChild<QPushButton*>(), Qt::LeftButton);
        });
        return true;
    });
    int messages = 0;
    auto* watch = new QTimer;
    QObject::connect(watch, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++messages;
            box->accept();
        }
    });
    watch->start(10);
    frame.command(winrt::command::Print);
    QCoreApplication::processEvents();
    delete watch;
    EXPECT_EQ(messages, 0);
    EXPECT_FALSE(QFile::exists(file)) << "nothing of the cancelled job is printed";
    EXPECT_TRUE(platform.frameWindow()->isEnabled());
    EXPECT_FALSE(platform.printAbortBox());

    // Without Cancel the page is printed.
    platform.setPrintDialogHook([&](QPrinter& printer) {
        printer.setOutputFileName(file);
        return true;
    });
    frame.command(winrt::command::Print);
    EXPECT_TRUE(QFile::exists(file));
}
