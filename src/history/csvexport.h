// The play history as two CSV files a spreadsheet opens: one row per game,
// and one row per answer. UTF-8 with a byte-order mark, so that spreadsheet
// programs on Chinese Windows and LibreOffice both read the Chinese right;
// each file starts with a header row.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

#include "history/records.h"

namespace history {

// The file names written into the folder the parent chooses.
inline constexpr char kGamesCsvName[] = "pellaro-games.csv";
inline constexpr char kAnswersCsvName[] = "pellaro-answers.csv";

struct CsvFiles {
    QByteArray games;    // the whole file, byte-order mark first
    QByteArray answers;  // one row per right answer, wrong entry or load left unanswered
};
CsvFiles makeCsv(const std::vector<Game>& games);

// Writes both files into `folder` (which must exist), each whole or not at
// all: a file that cannot be written leaves no half file behind. False with
// `error` in plain simplified Chinese when either fails.
bool exportCsv(const std::vector<Game>& games, const QString& folder, QString* error);

}  // namespace history
