// The play history as two CSV files a spreadsheet opens: one row per game,
// and one row per answer. UTF-8 with a byte-order mark, so that spreadsheet
// programs on Chinese Windows and LibreOffice both read the Chinese right.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

#include "history/family.h"
#include "history/records.h"

namespace history {

inline constexpr char kGamesCsvName[] = "pellaro-games.csv";
inline constexpr char kAnswersCsvName[] = "pellaro-answers.csv";

// Both files: a header row, fields quoted when they hold a comma, a quote
// or a line break (quotes doubled), CR LF line ends, a game's start as
// local time with its offset ("2026-12-08T09:15:02+08:00"), the level as
// the child sees it (1 or 2), the ending by its stored name ("wrong", ...).
// games: 编号,开始时间,难度,得分,结束方式,时长（秒）,送货次数,答对,答错,孩子,练习
//   送货次数 counts real loads; 答对 and 答错 count every right answer and
//   wrong entry, digits typed while the lamb walked included.
// answers: 局编号,开始时间,难度,序号,秤上数量,原来的总数,正确答案,结果,输入,用时（秒）,走路时输入,孩子
//   序号 is the load's place in its game (1, 2, ...); 结果 is 答对, 答错 or
//   未答; 输入 is what was typed (the right total for 答对, empty for 未答);
//   用时（秒） is the answer clock's time for 答对; 走路时输入 is 是 or 否, and
//   for those rows 秤上数量 and 原来的总数 are empty. A load's wrong entries
//   come first, in the order typed, then its right answer or 未答 (only for
//   real loads). 孩子, last in both, is the name of the child who played
//   (from `family`), empty for a game of no child; 练习, last in the games
//   file, is 是 when practice chose the game's amounts, else 否.
struct CsvFiles {
    QByteArray games;
    QByteArray answers;
};
CsvFiles makeCsv(const std::vector<Game>& games, const Family& family = Family());

// Writes both files into `folder`, each whole or not at all, owner-only:
// both are written out before either replaces an earlier export, which
// stays as it was when one cannot be written. False with `error` in plain
// simplified Chinese (saying so when the first was saved and the second not).
bool exportCsv(const std::vector<Game>& games, const Family& family, const QString& folder, QString* error);

}  // namespace history
