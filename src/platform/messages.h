#pragma once

#include <QString>

namespace platform {

// The icons of the old message boxes; None is the plain box with an OK button.
enum class MsgIcon { None, Critical, Question, Exclamation, Information };

class MessageService
{
public:
    virtual ~MessageService() = default;
    // Modal box with an OK button. An empty title means the program's own name.
    virtual void show(const QString &text, MsgIcon icon, const QString &title) = 0;
    // Modal Yes/No question; true for Yes.
    virtual bool ask(const QString &text, MsgIcon icon, const QString &title) = 0;
};

// Without windows (tools, a program not yet showing any): the text goes to the error stream and
// every question is answered No, so nothing irreversible happens unasked.
class ConsoleMessageService : public MessageService
{
public:
    void show(const QString &text, MsgIcon icon, const QString &title) override;
    bool ask(const QString &text, MsgIcon icon, const QString &title) override;
};

// Shorthands through the installed service.
void msgBox(const QString &text, MsgIcon icon = MsgIcon::None, const QString &title = {});
bool askYesNo(const QString &text, MsgIcon icon = MsgIcon::Question, const QString &title = {});

} // namespace platform
