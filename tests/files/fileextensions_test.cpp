// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/fileextensions.h"
#include "tests/support/testnames.h"

#include <QString>

#include <gtest/gtest.h>

#include <ostream>

namespace orvinta {
namespace {

/// A name as entered and the name it is used under.
struct NameCase {
    const char* entered;
    const char* used;

    friend std::ostream& operator<<(std::ostream& out, const NameCase& c) {
        return out << '"' << c.entered << "\" -> \"" << c.used << '"';
    }
};

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

class InputFileName : public testing::TestWithParam<NameCase> {};

TEST_P(InputFileName, KeepsSevenTlmFormsAndAppendsTlmOtherwise) {
    EXPECT_EQ(completeInputFileName(utf8(GetParam().entered)), utf8(GetParam().used));
}

INSTANTIATE_TEST_SUITE_P(
    Endings, InputFileName,
    testing::Values(NameCase{"Telemetrie00", "Telemetrie00.tlm"},
                    NameCase{"frame.TLM", "frame.TLM"}, NameCase{"frame.Tlm", "frame.Tlm"},
                    NameCase{"frame.TLm", "frame.TLm"}, NameCase{"frame.tlM", "frame.tlM"},
                    NameCase{"frame.tLM", "frame.tLM"}, NameCase{"frame.tLm", "frame.tLm"},
                    NameCase{"frame.tlm", "frame.tlm"},
                    // The eighth letter-case form is not among the kept endings.
                    NameCase{"frame.TlM", "frame.TlM.tlm"},
                    // The input save knows only .tlm endings.
                    NameCase{"frame.txt", "frame.txt.tlm"}, NameCase{"frame.TXT", "frame.TXT.tlm"},
                    NameCase{".tlm", ".tlm"}, NameCase{"a.tlm ", "a.tlm .tlm"},
                    NameCase{"dir/x.tlm", "dir/x.tlm"}, NameCase{"tlm", "tlm.tlm"},
                    // Shorter than four characters: always extended.
                    NameCase{"a", "a.tlm"}, NameCase{"lm", "lm.tlm"}, NameCase{"tlm.", "tlm..tlm"},
                    NameCase{"Messung", "Messung.tlm"}, NameCase{"grüße.tlm", "grüße.tlm"}),
    test::PrintedName());

class TextFileName : public testing::TestWithParam<NameCase> {};

TEST_P(TextFileName, KeepsTxtAndTXTAndAppendsTxtOtherwise) {
    EXPECT_EQ(completeTextFileName(utf8(GetParam().entered)), utf8(GetParam().used));
}

INSTANTIATE_TEST_SUITE_P(
    Endings, TextFileName,
    testing::Values(NameCase{"Telemetrie00", "Telemetrie00.txt"},
                    NameCase{"table.txt", "table.txt"}, NameCase{"table.TXT", "table.TXT"},
                    NameCase{"table.Txt", "table.Txt.txt"}, NameCase{"table.tXT", "table.tXT.txt"},
                    NameCase{"table.TxT", "table.TxT.txt"}, NameCase{"table.tlm", "table.tlm.txt"},
                    NameCase{".txt", ".txt"}, NameCase{"txt", "txt.txt"}, NameCase{"a", "a.txt"},
                    NameCase{"/tmp/x.TXT", "/tmp/x.TXT"}, NameCase{"x.txt/", "x.txt/.txt"}),
    test::PrintedName());

/// A path and whether the open dialog loads it.
struct LoadCase {
    const char* path;
    bool loadable;

    friend std::ostream& operator<<(std::ostream& out, const LoadCase& c) {
        return out << '"' << c.path << "\" " << (c.loadable ? "loads" : "refused");
    }
};

class LoadableName : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadableName, AcceptsExactlyFourEndings) {
    EXPECT_EQ(isLoadableName(utf8(GetParam().path)), GetParam().loadable);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, LoadableName,
    testing::Values(LoadCase{"/data/frame.TLM", true}, LoadCase{"/data/frame.tlm", true},
                    LoadCase{"/data/frame.txt", true}, LoadCase{"/data/frame.TXT", true},
                    LoadCase{"/data/.tlm", true}, LoadCase{".tlm", true},
                    LoadCase{"/data/frame.Tlm", false}, LoadCase{"/data/frame.TLm", false},
                    LoadCase{"/data/frame.tLM", false}, LoadCase{"/data/frame.Txt", false},
                    LoadCase{"/data/frame.tXT", false}, LoadCase{"/data/frame", false},
                    LoadCase{"/data/frame.tlm.bak", false}, LoadCase{"/data/frametlm", false},
                    LoadCase{"tlm", false}, LoadCase{"", false}),
    test::PrintedName());

TEST(EndingTables, HoldTheEndingsInTheOrderTested) {
    EXPECT_EQ(kLoadEndings, (std::array<std::string_view, 4>{".TLM", ".tlm", ".txt", ".TXT"}));
    EXPECT_EQ(kInputFileEndings, (std::array<std::string_view, 7>{".TLM", ".Tlm", ".TLm", ".tlM",
                                                                  ".tLM", ".tLm", ".tlm"}));
    EXPECT_EQ(kTextFileEndings, (std::array<std::string_view, 2>{".TXT", ".txt"}));
}

} // namespace
} // namespace orvinta
