#pragma once

#include "core/outcome.h"
#include "core/pendingrecord.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the main window gives the submission window and what it gets back.

// The operator's options on the main window, as the submission reads them.
struct SubmissionOptions
{
    bool sevenDayRule = false; // do not send again what was sent within seven days
    bool hangTimeout = false;  // a save that hangs ends after 100 ticks
    bool autoConfirm = false;  // the program confirms each record itself
    bool sendQueue = false;    // the next queued record follows after a countdown
    // A site whose inspection list already holds a record dated today gets none again (on
    // unless the operator unticks it).
    bool sameDayGuard = true;
    // The queue goes on in the portal session of its first login: one security code for the
    // whole queue (on unless the operator unticks it; it only matters with sendQueue).
    bool keepSession = true;

    // Whether the next queued record starts without a login, in the session the last one used.
    bool keepsSession() const { return keepSession && sendQueue; }

    bool operator==(const SubmissionOptions &) const = default;
};

// The portal's session ended under a record, so the record goes again after a login.
// listBeforeSave: the site's inspection list before a save whose answer never came (the save
// may have reached the portal); the next attempt reads the list again and goes on only when
// the save did not arrive.
struct SessionEnd
{
    std::optional<QList<QStringList>> listBeforeSave;

    bool operator==(const SessionEnd &) const = default;
};

// The record the submission window sends, and where it stands in the list (the window's caption
// reads "position/count"). No record: nothing was queued when the portal window opened.
struct SubmissionRequest
{
    std::optional<PendingRecord> record;
    int position = 0;
    int count = 0;
    // No login came before it: the window opens the portal's main page in the kept session.
    bool keptSession = false;
    // The record's attempt before this one ended with the session (it goes back to a login
    // once only).
    std::optional<SessionEnd> afterSessionEnd;
};

// How one submission ended, for the queue to apply to its record and store.
struct SubmissionOutcome
{
    std::optional<QString> status; // the row's new status text, stored with the record
    std::optional<RowMark> mark;   // the row's new small icon
    std::optional<Outcome> stored; // the transmission state written with it
    std::optional<int> countdown;  // ticks before the next queued record

    bool operator==(const SubmissionOutcome &) const = default;
};
