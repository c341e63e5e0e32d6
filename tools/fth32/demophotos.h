#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Photographs for demos, tests and benchmarks, made in code so no large files are kept.
// Needs a QGuiApplication (text is drawn onto the pictures).

// A camera-like picture: sky, ground, a building with windows and fine grain (so it compresses
// like a real photograph), with the label written large in the middle.
QImage DemoPhoto(int width, int height, const QString &label);

// Writes DemoPhoto as a JPEG (quality 90) to a native path, creating its folder. False on failure.
bool WriteDemoPhoto(const QString &path, int width, int height, const QString &label);

// The JPEG with an EXIF block stating the camera orientation (1-8; 6 = turned 90 degrees
// clockwise for display) inserted after its start marker.
QByteArray WithExifOrientation(const QByteArray &jpeg, int orientation);

// Where the build put the stamping tool.
QString BuiltStampTool();

// Copies the built stamping tool into the office application's folder (native path), executable.
// False with the reason in *error when it cannot.
bool InstallStampTool(const QString &siblingFolder, QString *error = nullptr);
