#pragma once

#include <QString>

// The demo's pending photographs: two sites (one whose parcel text holds "/", ":" and spaces)
// and one pending record for every case the list and its checks know: sendable (prepared, or
// only in the site folder, or only in "web"), too wide, too tall, over 1 MB, a ".png", a
// ".jpeg", a photo that exists nowhere, a record without its sender and one without its
// developments text; plus one record already sent, which is not listed. Records are numbered
// from 501, sites from 501. firma is the firm column of the sites (the institution's portal user
// name; only needed when the firm has two or more institutions).
void AddQueueDemoData(const QString &y3436Connection, const QString &ortakNativeFolder,
                      const QString &firma = {});
