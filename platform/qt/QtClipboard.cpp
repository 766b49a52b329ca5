// The clipboard role of the Qt platform: single-byte text and indexed pictures.

#include "platform/qt/QtConvert.h"
#include "platform/qt/QtPlatformImpl.h"

#include <QClipboard>
#include <QGuiApplication>

namespace platform {

bool QtPlatform::setClipboardText(std::string_view text)
{
    return d->invoker.run([&] {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (!clipboard)
            return false;
        clipboard->setText(fromSingleByte(text));
        return true;
    });
}

bool QtPlatform::setClipboardImage(const IndexedPicture& picture)
{
    return d->invoker.run([&] {
        QClipboard* clipboard = QGuiApplication::clipboard();
        QImage image = toImage(picture);
        if (!clipboard || image.isNull())
            return false;
        clipboard->setImage(image);
        return true;
    });
}

std::optional<std::string> QtPlatform::clipboardText()
{
    return d->invoker.run([&]() -> std::optional<std::string> {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (!clipboard)
            return std::nullopt;
        const QString text = clipboard->text();
        if (text.isEmpty())
            return std::nullopt;
        return toSingleByte(text);
    });
}

} // namespace platform
