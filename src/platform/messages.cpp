#include "platform/messages.h"

#include "platform/platform.h"

#include <QTextStream>

namespace platform {

void ConsoleMessageService::show(const QString &text, MsgIcon, const QString &title)
{
    QTextStream(stderr) << (title.isEmpty() ? QString() : title + QStringLiteral(": ")) << text
                        << Qt::endl;
}

bool ConsoleMessageService::ask(const QString &text, MsgIcon icon, const QString &title)
{
    show(text, icon, title);
    return false;
}

void msgBox(const QString &text, MsgIcon icon, const QString &title)
{
    Platform::messages().show(text, icon, title);
}

bool askYesNo(const QString &text, MsgIcon icon, const QString &title)
{
    return Platform::messages().ask(text, icon, title);
}

} // namespace platform
