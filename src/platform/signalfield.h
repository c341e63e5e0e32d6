#pragma once

#include <QString>

#include <functional>

namespace platform {

// A hidden label or text box whose change runs a handler: windows signal one another by
// assigning such texts. The handler runs synchronously, and only when the text really changes.
class SignalField
{
public:
    using Handler = std::function<void(const QString &)>;

    SignalField() = default;
    explicit SignalField(QString initial) : m_text(std::move(initial)) {}

    void onChange(Handler h) { m_handler = std::move(h); }
    const QString &text() const { return m_text; }
    void setText(const QString &t)
    {
        if (t == m_text)
            return;
        m_text = t;
        if (m_handler)
            m_handler(m_text);
    }
    QString tag; // the old controls' free text slot

private:
    QString m_text;
    Handler m_handler;
};

} // namespace platform
