#pragma once

#include "components/BandReport.h"

#include <QHash>
#include <QStringList>
#include <vector>

// A print preview that shows nothing: it keeps each report's title, its
// run-time texts and what it computed (rows, sums), in the order shown.
class RecordingPreview : public Report::PreviewService
{
public:
    void preview(const Report::BandReport &report) override
    {
        titles << report.title;
        params = report.params;
        computed.push_back(report.compute());
    }
    QStringList titles;
    QHash<QString, QString> params; // the last report's
    std::vector<Report::Computed> computed;
};
