#pragma once

// Joins the submission window to the main window: the main window's rows, options and signals
// for the submission window, and the submission window for the main window's portal login.
// Called once at start, before the first window opens.
void InstallSubmission();
