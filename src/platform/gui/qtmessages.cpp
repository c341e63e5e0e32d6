#include "platform/gui/qtmessages.h"

#include "platform/platform.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

namespace platform {

namespace {

QMessageBox::Icon qtIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString titleOrDefault(const QString &title)
{
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

} // namespace

void QtMessageService::show(const QString &text, MsgIcon icon, const QString &title)
{
    QMessageBox box(qtIcon(icon), titleOrDefault(title), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

bool QtMessageService::ask(const QString &text, MsgIcon icon, const QString &title)
{
    QMessageBox box(qtIcon(icon), titleOrDefault(title), text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    return box.exec() == QMessageBox::Yes;
}

void installTranslations()
{
    auto *translator = new QTranslator(qApp);
    if (translator->load(QStringLiteral("qtbase_tr"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

void installMessageBoxes()
{
    Services s;
    s.messages = std::make_shared<QtMessageService>();
    Platform::install(std::move(s));
}

} // namespace platform
