#pragma once

#include "platform/messages.h"

namespace platform {

// The real boxes: QMessageBox, with Qt's Turkish translation loaded by installTranslations().
class QtMessageService : public MessageService
{
public:
    void show(const QString &text, MsgIcon icon, const QString &title) override;
    bool ask(const QString &text, MsgIcon icon, const QString &title) override;
};

// Loads Qt's own Turkish texts so standard buttons read "Tamam", "Evet", "Hayır".
void installTranslations();

// Installs the real boxes as the message service (the program's windows need them; the
// platform's default writes messages to the error stream).
void installMessageBoxes();

} // namespace platform
