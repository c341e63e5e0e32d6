#pragma once

#include <QString>

// The update check at every start: tells the operator, starts the updater and ends the process
// when the update host lists a newer TarvekFOTO or Tarvek_Guncelleme than the installed ones.
// A failing step is skipped; no answer from the host, or none signed by the vendor's key, means
// no update. Without an update host or key nothing is fetched and the operator is told so.
void guncelleme_kontrol_et();

// The same for a given program folder.
void CheckForUpdates(const QString &programFolder);
