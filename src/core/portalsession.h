#pragma once

#include "core/outcome.h"
#include "core/submission.h"

#include <QSet>

#include <optional>
#include <utility>

// What the program knows of the portal session a queue runs in, from one accepted login to the
// session's end. The session itself is the portal's cookie in the shared browser profile, which
// lives as long as the program; no browser is kept between records.
class PortalSession
{
public:
    // An accepted login: a session with nothing started in it.
    void loggedIn()
    {
        m_live = true;
        m_started.clear();
    }
    // The portal showed that the session has ended: the next record logs in first.
    void ended()
    {
        m_live = false;
        m_started.clear();
    }
    bool live() const { return m_live; }

    // A record handed to the submission window in this session, and how it ended there: only a
    // record the portal did not get may start again in the same session.
    void started(qlonglong number) { m_started.insert(number); }
    void finished(qlonglong number, const std::optional<Outcome> &stored)
    {
        if (stored == Outcome::NotSent)
            m_started.remove(number);
    }
    // Whether record `number` may start in this session without a login first.
    bool mayContinueWith(qlonglong number) const { return m_live && !m_started.contains(number); }

    // The record the session ended under goes again after the next login, with what its
    // attempt left: for the next record handed over, when it is that record.
    void sendAgain(qlonglong number, const SessionEnd &end) { m_again = {number, end}; }
    std::optional<SessionEnd> takeAgain(qlonglong number)
    {
        const auto again = std::exchange(m_again, std::nullopt);
        if (!again || again->first != number)
            return std::nullopt;
        return again->second;
    }

private:
    bool m_live = false;
    QSet<qlonglong> m_started;
    std::optional<std::pair<qlonglong, SessionEnd>> m_again;
};
