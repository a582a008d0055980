// The settings file: what loading applies, in which order, and the bytes written.
#include <gtest/gtest.h>

#include <string>

#include "store/MSettings.h"

namespace {

// The two log options in memory, under the rules the window's check boxes follow.
struct LogBoxes {
  int value[2] = {0, 0};
};

LogBoxes Load(const std::string& bytes) {
  LogBoxes boxes;
  velmora::LogOptionRules rules([&](int index) { return boxes.value[index]; },
                                [&](int index, int v) { boxes.value[index] = v; });
  velmora::ParseSettings(bytes, [&](int index, int16_t v) { return rules.Set(index, v); });
  return boxes;
}

}  // namespace

TEST(ParseSettings, AppliesEachValueInFileOrder) {
  struct Row {
    const char* file;
    int csv, txt;
  } rows[] = {
      {"[Log   ]1\r\n[LogTXT]0\r\n", 1, 0},
      {"[Log   ]0\r\n[LogTXT]1\r\n", 0, 1},
      {"[Log   ]1\r\n[LogTXT]1\r\n", 0, 1},  // the later line wins the exclusion
      {"[LogTXT]1\r\n[Log   ]1\r\n", 1, 0},
      {"[Log   ]2\r\n[LogTXT]0\r\n", 2, 0},  // the dimmed state is kept
      {"[Log   ]2\r\n[LogTXT]1\r\n", 0, 1},  // and cleared when the other box turns on
      {"[Log   ]3\r\n[LogTXT]1\r\n", 0, 0},  // refused: loading stops at once
      {"[LogTXT]1\r\n[Log   ]-1\r\n[LogTXT]0\r\n", 0, 1},
      {"[LogTXT]1\r\n[Log   ]40000\r\n[LogTXT]0\r\n", 0, 1},  // beyond 16 bits stops too
      {"[log   ]1\r\n[Log]1\r\n[LogTXT] 1\r\n", 0, 1},        // wrong keys ignored, blanks not
      {"[LogTXT]\r\n", 0, 0},
      {"[LogTXT]1\r\n[LogTXT]\r\n", 0, 0},
      {"[Log   ]1.5\r\n", 2, 0},  // halves to even: 2
      {"[Log   ]2.5\r\n", 2, 0},
      {"[Log   ]0.5\r\n[LogTXT]1.49\r\n", 0, 1},
      {"[Log   ]1abc\r\n", 1, 0},
      {"[Log   ]&H1\r\n", 1, 0},
      {"[Log", 0, 0},  // shorter than a key
      {"", 0, 0},
      {"[Log   ]1\n[LogTXT]1\n", 0, 1},  // LF alone ends a line too
      {"[Log   ]1\r[LogTXT]1", 0, 1},
      {"junk\r\n\r\n[Log   ]1\r\n[LogTXT]0\r\nmore", 1, 0},
      {"\x82\xa0\x82\xa2[Log   ]1\r\n[Log   ]1", 1, 0},  // code page 932 text elsewhere
  };
  for (const Row& row : rows) {
    LogBoxes boxes = Load(row.file);
    EXPECT_EQ(boxes.value[0], row.csv) << row.file;
    EXPECT_EQ(boxes.value[1], row.txt) << row.file;
  }
}

// Each click, as a user gives it, and the two options after it: a box that is on goes
// off, any other goes on and turns the other box off.
TEST(LogOptionRules, ExcludeEachOtherOnClicksAndRefuseOtherValues) {
  int value[2] = {0, 0};
  velmora::LogOptionRules rules([&](int index) { return value[index]; }, [&](int index, int v) { value[index] = v; });
  struct Row {
    int index, set;
    bool accepted;
    int csv, txt;
  } rows[] = {
      {1, 1, true, 0, 1},  {0, 1, true, 1, 0},   {0, 0, true, 0, 0}, {0, 1, true, 1, 0},
      {1, 2, true, 1, 2},  // the dimmed state leaves the other as it is
      {0, 3, false, 1, 2}, {1, -1, false, 1, 2}, {1, 1, true, 0, 1}, {1, 1, true, 0, 1},
  };
  int i = 0;
  for (const Row& row : rows) {
    EXPECT_EQ(rules.Set(row.index, row.set), row.accepted) << "row " << i;
    EXPECT_EQ(value[0], row.csv) << "row " << i;
    EXPECT_EQ(value[1], row.txt) << "row " << i++;
  }
}

TEST(SettingsText, WritesTheTwoLinesByteForByte) {
  EXPECT_EQ(velmora::SettingsText(1, 0), "[Log   ]1\r\n[LogTXT]0\r\n");
  EXPECT_EQ(velmora::SettingsText(0, 2), "[Log   ]0\r\n[LogTXT]2\r\n");
  // A file as the program leaves it after loading it and closing: what the loaded
  // values become, written back.
  struct Row {
    const char* before;
    const char* after;
  } rows[] = {
      {"[Log   ]1\r\n[LogTXT]1\r\n", "[Log   ]0\r\n[LogTXT]1\r\n"},
      {"[Log   ]2\r\n", "[Log   ]2\r\n[LogTXT]0\r\n"},
  };
  for (const Row& row : rows) {
    LogBoxes boxes = Load(row.before);
    EXPECT_EQ(velmora::SettingsText(static_cast<int16_t>(boxes.value[0]), static_cast<int16_t>(boxes.value[1])),
              row.after)
        << row.before;
  }
  // What the program writes, it reads back to the same values.
  for (int16_t csv : {0, 1, 2})
    for (int16_t txt : {0, 2}) {
      LogBoxes boxes = Load(velmora::SettingsText(csv, txt));
      EXPECT_EQ(boxes.value[0], csv);
      EXPECT_EQ(boxes.value[1], txt);
    }
}
