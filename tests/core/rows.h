#pragma once

#include <QTest>

// One row of a data table: Row("name", a, b, c) is QTest::newRow("name") << a << b << c.
template <typename... T> void Row(const char *name, const T &...values)
{
    (QTest::newRow(name) << ... << values);
}
