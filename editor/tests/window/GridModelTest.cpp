// The grid's model by the book, and the 8-bit text it shows.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "GridModel.h"
#include "QtCp1252.h"
#include "RowCommands.h"

namespace tavrel {
namespace {

TEST(GridModelTest, PassesTheModelTesterThroughEveryChange) {
    TableDocument document;
    GridModel model(document);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    document.Reset([](GridTable& t) {
        for (int c = 0; c < 3; ++c)
            t.InsertColumn(c, "C" + std::to_string(c), 110);
        for (int r = 0; r < 4; ++r)
            t.InsertRow(r);
    });
    document.SetCell(1, 2, "x");
    document.InsertBlankRow(0);
    document.InsertBlankRow(99);
    document.DeleteRow(0);
    document.DeleteRow(50);
    ASSERT_EQ(PasteRowsAt(document, 2, "a\tb\nc\n").rows, 2);
    ASSERT_TRUE(DeleteRowAt(document, 0));
    ASSERT_EQ(RestoreDeletedRow(document), 0);
    document.CellsToChange().SetCell(0, 1, "y");
    document.CellsChanged(0, 9, 1, 99);  // past the table's end: only its cells are named
    EXPECT_EQ(model.rowCount(), 7);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.data(model.index(1, 2)).toString(), "x");
    EXPECT_EQ(model.data(model.index(2, 1)).toString(), "b");
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), "y");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "C1");
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
}

TEST(GridModelTest, AHugeCellShowsItsStartOnly) {
    TableDocument document;
    GridModel model(document);
    const std::string huge(GridModel::kShownBytes * 3, 'h');
    document.Reset([&](GridTable& t) {
        t.InsertColumn(0, huge, 110);
        t.InsertRow(0);
        t.SetCell(0, 0, huge);
    });
    EXPECT_EQ(model.data(model.index(0, 0)).toString().size(), GridModel::kShownBytes);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString().size(), GridModel::kShownBytes);
    EXPECT_EQ(document.Table().Cell(0, 0), huge) << "the table keeps all of it";
}

TEST(Cp1252Test, EveryByteSurvivesTheRoundTrip) {
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    const QString text = desktop::FromCp1252(bytes);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(text[0x80], QChar(0x20AC));  // euro sign
    EXPECT_EQ(text[0x9F], QChar(0x0178));
    EXPECT_EQ(text[0x81], QChar(0x0081));  // undefined bytes stand for themselves
    EXPECT_EQ(text[0xE9], QChar(0x00E9));
    EXPECT_TRUE(desktop::FitsCp1252(text));
    EXPECT_EQ(desktop::ToCp1252(text), bytes);
}

TEST(Cp1252Test, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    const QString text = QString::fromUtf8("A\u20AC \u2603 \U0001F600 \u0100z");
    EXPECT_FALSE(desktop::FitsCp1252(text));
    EXPECT_EQ(desktop::ToCp1252(text), "A\x80 ? ? ?z");
}

}  // namespace
}  // namespace tavrel
