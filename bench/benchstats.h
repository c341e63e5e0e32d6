#pragma once

// What every benchmark prints: a series' min / median / max, and its goals as one line each that
// run-bench.sh gathers into the closing table ("goal|name|figures|PASS or FAIL").
#include <QList>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <string>
#include <unistd.h>

namespace bench {

struct Series
{
    const char *name = "";
    QList<double> values;

    bool empty() const { return values.isEmpty(); }
    // The value at quantile q (0 = min, 1 = max), the middle two averaged for an even count.
    double at(double q) const
    {
        if (values.isEmpty())
            return 0;
        QList<double> s = values;
        std::sort(s.begin(), s.end());
        const double i = q * double(s.size() - 1);
        return (s.at(qsizetype(i)) + s.at(qsizetype(i + 0.5))) / 2;
    }
    double min() const { return at(0); }
    double median() const { return at(0.5); }
    double max() const { return at(1); }
    void print(const char *unit = "ms") const
    {
        // The name's column is counted in characters: a Turkish letter takes two bytes.
        int width = 48;
        for (const char *c = name; *c; ++c)
            width += (static_cast<unsigned char>(*c) & 0xC0) == 0x80;
        std::printf("  %-*s min %8.2f  median %8.2f  max %8.2f %s  (n=%d)\n", width, name, min(),
                    median(), max(), unit, int(values.size()));
    }
};

// One goal's verdict for the closing table; pass < 0: measured, no verdict (information).
inline void goal(const char *name, const std::string &figures, int pass)
{
    std::printf("goal|%s|%s|%s\n", name, figures.c_str(), pass < 0 ? "-" : pass ? "PASS" : "FAIL");
    std::fflush(stdout);
}

inline std::string format(const char *fmt, double a, double b = 0, double c = 0, double d = 0,
                          double e = 0)
{
    char buf[256];
    std::snprintf(buf, sizeof buf, fmt, a, b, c, d, e);
    return buf;
}

// This process's resident set, in kilobytes.
inline long residentKb()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// What this process's allocator holds in use, in kilobytes: finer than the resident set, which
// moves by whole pages and keeps what was freed.
inline long heapInUseKb()
{
    const struct mallinfo2 m = mallinfo2();
    return long((m.uordblks + m.hblkhd) / 1024);
}

} // namespace bench
