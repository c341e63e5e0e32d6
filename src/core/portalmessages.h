#pragma once

#include <QString>

#include <optional>

// Reading the portal's own words out of a completed page.

// The outage texts of the front page, searched in order in the body's outer HTML and then in the
// whole document (head and body), case-insensitively. True at the first one found.
bool FrontPageShowsOutage(const QString &bodyOuterHtml, const QString &headOuterHtml);

// The portal's message in the login form (inner HTML of the document's second form): the raw
// HTML of the first cell of the block that follows the forgotten-password image, when the cell
// lies inside the block. Tags and entities stay as they are.
std::optional<QString> CaptureLoginMessage(const QString &secondFormInnerHtml);

// The message box texts.
QString OutageMessage();
QString PortalMessageText(const QString &message);

// A case-insensitive search that also matches the Turkish dotted and dotless i with I and i, as
// the text comparison of a Turkish workstation does. Returns the 0-based index or -1.
qsizetype IndexOfTextCompare(const QString &haystack, const QString &needle, qsizetype from = 0);
