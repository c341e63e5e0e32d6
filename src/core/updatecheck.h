#pragma once

#include <QString>

// The update check at every start: tells the operator, starts the updater and ends the process
// when the update host lists a newer TarvekFOTO or Tarvek_Guncelleme than the installed ones.
// A failing step is skipped; no answer from the host means no update.
void guncelleme_kontrol_et();

// The same for a given program folder.
void CheckForUpdates(const QString &programFolder);
