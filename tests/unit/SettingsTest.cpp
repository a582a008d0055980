// The settings file: what loading applies, in which order, and the bytes written.
#include <gtest/gtest.h>

#include <string>

#include "store/MSettings.h"

namespace {

// The two log check boxes as the window keeps them: values 0 to 2, and a box that
// becomes 1 turns the other one off.
struct LogBoxes {
  int value[2] = {0, 0};
  bool Apply(int index, int16_t v) {
    if (v < 0 || v > 2) return false;
    if (value[index] == v) return true;
    value[index] = v;
    if (v == 1) value[1 - index] = 0;
    return true;
  }
};

LogBoxes Load(const std::string& bytes) {
  LogBoxes boxes;
  velmora::ParseSettings(bytes, [&](int index, int16_t v) { return boxes.Apply(index, v); });
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

TEST(SettingsText, WritesTheTwoLinesByteForByte) {
  EXPECT_EQ(velmora::SettingsText(1, 0), "[Log   ]1\r\n[LogTXT]0\r\n");
  EXPECT_EQ(velmora::SettingsText(0, 2), "[Log   ]0\r\n[LogTXT]2\r\n");
  // What the program writes, it reads back to the same values.
  for (int16_t csv : {0, 1, 2})
    for (int16_t txt : {0, 2}) {
      LogBoxes boxes = Load(velmora::SettingsText(csv, txt));
      EXPECT_EQ(boxes.value[0], csv);
      EXPECT_EQ(boxes.value[1], txt);
    }
}
