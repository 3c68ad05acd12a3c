#include "startup/form_definition.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <sstream>

#include "startup/program.h"
#include "startup/session.h"
#include "support/test_host.h"

namespace {

// The model as text, one line per block, field and browse definition.
std::string Describe(const FormDefinition& form) {
  std::ostringstream out;
  auto window = [&out](const FormWindow& w) {
    out << " win=" << w.top << "," << w.left << "," << w.bottom << "," << w.right;
  };
  out << "N=" << form.blockCount << " M=" << form.maxFields << " P=" << form.browseCount << "\n";
  for (const FormBlock& b : form.blocks) {
    out << "B keys=[" << b.exitKeys << "] K=" << b.fieldCount << " next=" << b.nextBlock;
    window(b.window);
    out << "\n";
    for (const FormField& f : b.fields) {
      out << " F " << f.row << "," << f.column << " [" << f.label << "] len=" << f.length
          << " lw=" << f.lineWidth << " ext=" << f.extraWidth << " fl=" << f.flags
          << " rule=" << f.ruleCode << " br=" << f.browseList << " ch=[" << f.choiceList
          << "] val=[" << f.value << "]\n";
    }
  }
  for (const BrowseDefinition& r : form.browses) {
    out << "R file=" << r.recordFile << " key=" << r.keyNumber;
    window(r.window);
    out << " filter=" << r.filterBlock << " head=[" << r.heading << "] next=" << r.nextBrowse
        << "\n";
  }
  return out.str();
}

class FormDefinitionTest : public ::testing::Test {
 protected:
  FormDefinitionTest() {
    ::mkdir(dir.File("FORMS").c_str(), 0755);
    session = Session{};
    session.rootDir = dir.suiteDir();
    session.language = "CAT";
    programName = "EXPCODES";
  }
  ~FormDefinitionTest() override {
    session = Session{};
    formDefinition = FormDefinition{};
  }
  FormLoadStatus Load(const std::string& bytes) {
    WriteFileBytes(dir.File("FORMS/EXPCODES.ZPN"), bytes);
    return LoadFormDefinition();
  }

  ScopedHost hostServices;
  TempDir dir;
};

// Two blocks, the second a continuation with a window, and one look-up list.
const std::string kForm =
    "2,3\r\n"
    "\"d,1b,3c00\",1,2,0,0,0,0\r\n"
    "2,3,\"Imprimir, doncs? \",1,0,5,0,0,0,\"|S,S\xA1|N,No\"\r\n"
    "\"d,1b\",2,0,8,12,15,69\r\n"
    "1,2,Codi ,2,0,0,9,7,1,\r\n"
    "2,2,Nota: ,40,20,0,0,0,0,\r\n"
    "1\r\n"
    "501,0,5,20,20,61,2,\"Codi Descripci\xA2\",0\r\n";

const std::string kModel =
    "N=2 M=3 P=1\n"
    "B keys=[d,1b,3c00] K=1 next=2 win=0,0,0,0\n"
    " F 2,3 [Imprimir, doncs? ] len=1 lw=0 ext=5 fl=0 rule=0 br=0 ch=[|S,S\xA1|N,No] val=[ ]\n"
    "B keys=[d,1b] K=2 next=0 win=8,12,15,69\n"
    " F 1,2 [Codi ] len=2 lw=0 ext=0 fl=9 rule=7 br=1 ch=[] val=[  ]\n"
    " F 2,2 [Nota: ] len=40 lw=20 ext=0 fl=0 rule=0 br=0 ch=[] val=[" +
    std::string(40, ' ') + "]\n" +
    "R file=501 key=0 win=5,20,20,61 filter=2 head=[Codi Descripci\xA2] next=0\n";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

TEST_F(FormDefinitionTest, LayoutsOfTheSameForm) {
  struct Case {
    const char* name;
    std::string file;
  };
  const Case cases[] = {
      {"as written", kForm},
      {"comments where items start",
       "' form\r\n   ' indented\r\n" +
           Replace(Replace(kForm, "\"d,1b\",2", "' block 2\r\n\"d,1b\",2"), "1\r\n501",
                   "' lists\r\n1\r\n' list 1\r\n501")},
      {"a comment after the end of an item's line", Replace(kForm, "2,3\r\n", "2,3,' x\r\n")},
      {"lines ending in LF", Replace(kForm, "\r\n", "\n")},
      {"no line end at the end", kForm.substr(0, kForm.size() - 2)},
      {"a row spread over lines", Replace(kForm, "1,2,Codi ,2,0,0,9,7,1,\r\n",
                                          "1\r\n2\r\nCodi \r\n2,0\r\n0,9\r\n7\r\n1\r\n\r\n")},
      {"rows sharing a line",
       Replace(kForm, "15,69\r\n1,2,Codi ,2,0,0,9,7,1,\r\n", "15,69,1,2,Codi ,2,0,0,9,7,1,,")},
      {"spaces before values", Replace(kForm, "2,0,0,9,7,1,", "2,  0, 0,   9,7 , 1 ,")},
      {"text after the last row is not read", kForm + "junk,\"\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Load(c.file), FormLoadStatus::kLoaded) << c.name;
    EXPECT_EQ(Describe(formDefinition), kModel) << c.name;
  }
}

TEST_F(FormDefinitionTest, ValuesWhereTheFileSaysLittle) {
  struct Case {
    const char* name;
    std::string file;
    std::string model;
  };
  const std::string noBlock = "B keys=[] K=0 next=0 win=0,0,0,0\n";
  const Case cases[] = {
      {"empty line before a block entry is its exit keys",
       "1,1\r\n\r\n1,0,0,0,0,0\r\n1,1,A,1,0,0,0,0,0,\r\n0\r\n",
       "N=1 M=1 P=0\nB keys=[] K=1 next=0 win=0,0,0,0\n"
       " F 1,1 [A] len=1 lw=0 ext=0 fl=0 rule=0 br=0 ch=[] val=[ ]\n"},
      {"a comment between field rows is data",
       "1,2\r\nx,2,0,0,0,0,0\r\n1,1,A,0,0,0,0,0,0,\r\n' ,3,B,0,0,0,0,0,0,\r\n0\r\n",
       "N=1 M=2 P=0\nB keys=[x] K=2 next=0 win=0,0,0,0\n"
       " F 1,1 [A] len=0 lw=0 ext=0 fl=0 rule=0 br=0 ch=[] val=[]\n"
       " F 0,3 [B] len=0 lw=0 ext=0 fl=0 rule=0 br=0 ch=[] val=[]\n"},
      {"a tab before the apostrophe makes data", "1,0\r\n\t'x,0,0,1,2,3,4\r\n",
       "N=1 M=0 P=0\nB keys=['x] K=0 next=0 win=1,2,3,4\n"},
      {"the file ends before its blocks", "2,1\r\nd,0,2,0,0,0,0\r\n",
       "N=2 M=1 P=0\nB keys=[d] K=0 next=2 win=0,0,0,0\n" + noBlock},
      {"the file ends while comments are skipped", "1,1\r\n' nothing more\r\n",
       "N=1 M=1 P=0\n" + noBlock},
      {"the file ends inside a field row", "1,1\r\nd,1,0,0,0,0,0\r\n3,4,\"Lab",
       "N=1 M=1 P=0\nB keys=[d] K=1 next=0 win=0,0,0,0\n"
       " F 3,4 [Lab] len=0 lw=0 ext=0 fl=0 rule=0 br=0 ch=[] val=[]\n"},
      {"nothing after a browse count of 0 is read", "1,0\r\nd,0,0,0,0,0,0\r\n0\r\n\r\n9,9\r\n",
       "N=1 M=0 P=0\nB keys=[d] K=0 next=0 win=0,0,0,0\n"},
      {"Ctrl+Z ends the file", "1,0\r\nd,0,0,0,0,0,0\r\n\x1A" "1\r\n",
       "N=1 M=0 P=0\nB keys=[d] K=0 next=0 win=0,0,0,0\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Load(c.file), FormLoadStatus::kLoaded) << c.name;
    EXPECT_EQ(Describe(formDefinition), c.model) << c.name;
  }
}

TEST_F(FormDefinitionTest, UnusableFilesAreReportedAndLeaveNoModel) {
  struct Case {
    const char* name;
    std::string file;
    FormLoadStatus status;
  };
  const std::string block = "d,0,0,0,0,0,0\r\n";
  const Case cases[] = {
      {"empty file", "", FormLoadStatus::kEmpty},
      {"only comments", "' a\r\n' b\r\n", FormLoadStatus::kEmpty},
      {"empty line before the header", "\r\n1,1\r\n" + block, FormLoadStatus::kEmpty},
      {"no blocks", "0,5\r\n", FormLoadStatus::kEmpty},
      {"negative block count", "-1,5\r\n", FormLoadStatus::kInvalid},
      {"negative room for fields", "1,-1\r\n" + block, FormLoadStatus::kInvalid},
      {"more fields than room", "1,1\r\nd,2,0,0,0,0,0\r\n", FormLoadStatus::kInvalid},
      {"negative field count", "1,1\r\nd,-1,0,0,0,0,0\r\n", FormLoadStatus::kInvalid},
      {"negative browse count", "1,0\r\n" + block + "-2\r\n", FormLoadStatus::kInvalid},
      {"next block beyond the blocks", "1,0\r\nd,0,2,0,0,0,0\r\n0\r\n", FormLoadStatus::kInvalid},
      {"negative next block", "1,0\r\nd,0,-1,0,0,0,0\r\n0\r\n", FormLoadStatus::kInvalid},
      {"look-up list beyond the lists", "1,1\r\nd,1,0,0,0,0,0\r\n1,1,A,1,0,0,0,0,1,\r\n0\r\n",
       FormLoadStatus::kInvalid},
      {"negative length", "1,1\r\nd,1,0,0,0,0,0\r\n1,1,A,-1,0,0,0,0,0,\r\n",
       FormLoadStatus::kInvalid},
      {"negative line width", "1,1\r\nd,1,0,0,0,0,0\r\n1,1,A,1,-1,0,0,0,0,\r\n",
       FormLoadStatus::kInvalid},
      {"negative extra width", "1,1\r\nd,1,0,0,0,0,0\r\n1,1,A,1,0,-1,0,0,0,\r\n",
       FormLoadStatus::kInvalid},
      {"filter block beyond the blocks", "1,0\r\n" + block + "1\r\n501,0,1,1,9,9,2,H,0\r\n",
       FormLoadStatus::kInvalid},
      {"nested list beyond the lists", "1,0\r\n" + block + "1\r\n501,0,1,1,9,9,0,H,2\r\n",
       FormLoadStatus::kInvalid},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Load(kForm), FormLoadStatus::kLoaded);
    EXPECT_EQ(Load(c.file), c.status) << c.name;
    EXPECT_TRUE(formDefinition.blocks.empty() && formDefinition.browses.empty()) << c.name;
    EXPECT_EQ(formDefinition.FindField(1, 1), nullptr) << c.name;
  }
  ::unlink(dir.File("FORMS/EXPCODES.ZPN").c_str());
  EXPECT_EQ(LoadFormDefinition(), FormLoadStatus::kMissing);
  EXPECT_EQ(FormDefinitionFile(), dir.suiteDir() + "FORMS\\EXPCODES.ZPN");
}

// Whatever the cut, the model is consistent or empty: every block holds its
// fields, every value is as long as its field, and references name something.
TEST_F(FormDefinitionTest, FileCutAnywhereLoadsConsistently) {
  for (const std::string& whole : {kForm, Replace(kForm, "\r\n", "\n")}) {
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
      const FormLoadStatus status = Load(whole.substr(0, cut));
      const FormDefinition& form = formDefinition;
      if (status != FormLoadStatus::kLoaded) {
        EXPECT_TRUE(form.blocks.empty()) << cut;
        continue;
      }
      ASSERT_EQ(form.blocks.size(), static_cast<std::size_t>(form.blockCount)) << cut;
      for (const FormBlock& b : form.blocks) {
        ASSERT_EQ(b.fields.size(), static_cast<std::size_t>(b.fieldCount)) << cut;
        EXPECT_LE(b.nextBlock, form.blockCount) << cut;
        for (const FormField& f : b.fields) {
          EXPECT_EQ(f.value.size(), static_cast<std::size_t>(f.length)) << cut;
          EXPECT_LE(f.browseList, form.browseCount) << cut;
        }
      }
    }
  }
}

TEST_F(FormDefinitionTest, HugeCountsInAShortFile) {
  ASSERT_EQ(Load("32767,32767\r\nd,32767,0,0,0,0,0\r\n1,1,A,3"), FormLoadStatus::kLoaded);
  EXPECT_EQ(formDefinition.blocks.size(), 32767u);
  EXPECT_EQ(formDefinition.FindBlock(1)->fields.size(), 32767u);
  EXPECT_EQ(formDefinition.FindField(1, 1)->value, "   ");
  EXPECT_EQ(formDefinition.FindField(1, 32767)->value, "");
  EXPECT_EQ(formDefinition.FindField(1, 32768), nullptr);
  EXPECT_EQ(formDefinition.FindBlock(32768), nullptr);
  EXPECT_EQ(formDefinition.FindBlock(0), nullptr);
  EXPECT_EQ(formDefinition.FindBrowse(1), nullptr);
}

TEST_F(FormDefinitionTest, TranslatesLabelsChoicesAndHeadingsAtLoad) {
  ::mkdir(dir.File("LOCALE").c_str(), 0755);
  WriteFileBytes(dir.File("LOCALE/EXPCODES.LNG"),
                 "\"Imprimir, doncs? \",gl,oc,\"Imprimir, pues? \"\r\n"
                 "\"|S,S\xA1|N,No\",gl,oc,\"|S,S\xA1|N,No (es)\"\r\n"
                 "Codi Descripci\xA2,gl,oc,C\xA2" "digo Descripci\xA2n\r\n");
  session.language = "SPA";
  ASSERT_EQ(Load(kForm), FormLoadStatus::kLoaded);
  EXPECT_EQ(formDefinition.FindField(1, 1)->label, "Imprimir, pues? ");
  EXPECT_EQ(formDefinition.FindField(1, 1)->choiceList, "|S,S\xA1|N,No (es)");
  EXPECT_EQ(formDefinition.FindField(2, 1)->label, "Codi ");  // no entry: stays in Catalan
  EXPECT_EQ(formDefinition.FindBrowse(1)->heading, "C\xA2" "digo Descripci\xA2n");
}

TEST_F(FormDefinitionTest, SampleForm) {
  const std::string sample =
      ReadFileBytes(std::string(EXPCODES_SOURCE_DIR) + "/sample/FORMS/EXPCODES.ZPN");
  ASSERT_EQ(Load(sample), FormLoadStatus::kLoaded);
  const FormField* print = formDefinition.FindField(1, 1);
  ASSERT_NE(print, nullptr);
  EXPECT_EQ(print->value, " ");  // the one-character print request
  EXPECT_EQ(print->choiceList.substr(0, 3), "|S,");
  const FormField* lookUp = formDefinition.FindField(1, 2);
  ASSERT_NE(lookUp, nullptr);
  const BrowseDefinition* list = formDefinition.FindBrowse(lookUp->browseList);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->recordFile, 501);
}

}  // namespace
