#pragma once

#include <QList>
#include <QString>

#include <algorithm>
#include <cmath>

// Percentiles of a set of measurements, for the benchmarks' reports.
struct Stats
{
    double p50 = 0;
    double p99 = 0;
    double max = 0;
    double mean = 0;
    qsizetype count = 0;

    static Stats of(QList<double> values)
    {
        Stats s;
        s.count = values.size();
        if (values.isEmpty()) {
            return s;
        }
        std::sort(values.begin(), values.end());
        auto at = [&](double q) {
            const auto i = static_cast<qsizetype>(std::ceil(q * double(values.size()))) - 1;
            return values[std::clamp<qsizetype>(i, 0, values.size() - 1)];
        };
        s.p50 = at(0.50);
        s.p99 = at(0.99);
        s.max = values.last();
        double sum = 0;
        for (double v : values) {
            sum += v;
        }
        s.mean = sum / double(values.size());
        return s;
    }

    [[nodiscard]] QString text(const char* unit, int decimals = 3) const
    {
        return QStringLiteral("p50 %1 %5, p99 %2 %5, max %3 %5 (n = %4)")
            .arg(p50, 0, 'f', decimals)
            .arg(p99, 0, 'f', decimals)
            .arg(max, 0, 'f', decimals)
            .arg(count)
            .arg(QString::fromLatin1(unit));
    }
};
