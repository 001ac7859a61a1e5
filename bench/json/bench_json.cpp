// Parses the standard benchmark files with our reader and with nlohmann::json,
// several runs each in one process, and prints MB/s of both and the ratio.
//
//   bench_json [data-dir] [runs]
// data-dir defaults to <source>/../shared/bench-data/json.
#include "json/json.h"

#include <nlohmann/json.hpp>

#include <QFile>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1])
                           : QStringLiteral(VORDANE_SOURCE_DIR "/../shared/bench-data/json");
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
    const char* files[] = {"canada.json", "citm_catalog.json", "twitter.json"};

    std::printf("%-18s %9s %12s %12s %12s %8s %10s\n", "file", "MB", "ours MB/s", "+decode MB/s", "nlohmann MB/s",
                "ratio", "+decode");
    bool ok = true;
    for (const char* name : files) {
        QFile f(dir + u'/' + QLatin1String(name));
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(f.fileName()));
            return 2;
        }
        const QByteArray bytes = f.readAll();
        const std::string utf8(bytes.constData(), std::size_t(bytes.size()));
        const double mb = double(bytes.size()) / 1e6;

        std::vector<double> ours, decode, theirs;
        for (int run = 0; run <= runs; ++run) {  // run 0 warms up
            auto t0 = Clock::now();
            const QString text = QString::fromUtf8(bytes);
            auto t1 = Clock::now();
            legacy::ObjectRef root = JSON::ParseText(text);
            auto t2 = Clock::now();
            if (!root || !JSON::LastErrors().isEmpty()) {
                std::fprintf(stderr, "%s: %s\n", name, qPrintable(JSON::LastErrors().left(200)));
                ok = false;
            }
            root.reset();

            auto t3 = Clock::now();
            nlohmann::json j = nlohmann::json::parse(utf8);
            auto t4 = Clock::now();
            if (j.is_null())
                ok = false;
            if (run > 0) {
                ours.push_back(seconds(t1, t2));
                decode.push_back(seconds(t0, t1));
                theirs.push_back(seconds(t3, t4));
            }
        }
        const double o = median(ours), d = median(decode), t = median(theirs);
        std::printf("%-18s %9.2f %12.1f %12.1f %12.1f %7.2fx %9.2fx\n", name, mb, mb / o, mb / (o + d), mb / t, t / o,
                    t / (o + d));
    }
    std::printf("(median of %d runs; times cover building the tree, not freeing it;\n"
                " \"+decode\" adds turning the UTF-8 bytes into text)\n", runs);
    return ok ? 0 : 1;
}
