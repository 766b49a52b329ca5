#include "platform/qt/QtDesktop.h"

#include "platform/qt/QtDialogHost.h"

#include "platform/qt/QtPlatform.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QMainWindow>
#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>
#include <QSettings>
#include <QTimer>

namespace platform {

namespace {

// The frame's icon: a small close-packed layer of shaded balls, drawn here so that the program
// carries no picture files.
QIcon frameIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        double r = size / 4.0;
        const QPointF centres[] = {{r, r}, {3 * r, r}, {2 * r, r * 2.7}, {r, r * 4.4}, {3 * r, r * 4.4}};
        for (QPointF c : centres) {
            if (c.y() - r > size)
                continue;
            QRadialGradient shade(c - QPointF(r / 3, r / 3), r * 1.2);
            shade.setColorAt(0, QColor(255, 240, 200));
            shade.setColorAt(0.5, QColor(200, 120, 40));
            shade.setColorAt(1, QColor(70, 30, 0));
            painter.setPen(Qt::NoPen);
            painter.setBrush(shade);
            painter.drawEllipse(c, r * 0.95, r * 0.95);
        }
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// The executable's file name without directory and extension.
QString programNameOf(int argc, char** argv)
{
    if (argc < 1 || !argv || !argv[0])
        return QStringLiteral("Program");
    QString name = QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName();
    return name.isEmpty() ? QStringLiteral("Program") : name;
}

} // namespace

int runDesktop(int argc, char** argv, DesktopSession& session)
{
    QString name = programNameOf(argc, argv);
    int appArgc = argc; // QApplication keeps a reference to it for its whole life
    QApplication app(appArgc, argv);
    // The loop ends when the frame closes, not when the last window of any kind does.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(frameIcon());

    // Never destroyed: the program thread may still call in after the loop has ended, until the
    // caller ends the process.
    QtPlatform& platform = *new QtPlatform;
    QMainWindow* frame = platform.frameWindow();
    platform.setFrameTitle(name.toStdString());
    frame->setWindowIcon(frameIcon());
    frame->resize(800, 600);

    QSettings settings(QStringLiteral("FACETOR"), name);
    bool maximised = settings.value(QStringLiteral("FrameMaximized"), 0).toInt() != 0;
    platform.setCloseHook([&settings](bool isMaximised) {
        settings.setValue(QStringLiteral("FrameMaximized"), isMaximised ? 1 : 0);
        settings.sync();
    });
    if (maximised)
        frame->showMaximized();
    else
        frame->show();

    std::string programName = name.toStdString();
    QTimer::singleShot(0, &app, [&] {
        session.start(platform,
                      std::make_unique<QtDialogHost>([&platform]() -> QWidget* { return platform.frameWindow(); }),
                      programName);
    });
    app.exec();
    // The program thread may still be calling in: release its waits so that finish can end it.
    platform.stopServing();
    return session.finish();
}

} // namespace platform
