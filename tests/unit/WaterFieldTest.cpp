#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "water/DropRandom.h"
#include "water/WaterField.h"

namespace {

int32_t& Cell(WaterField& field, int32_t page, int32_t row, int32_t column)
{
    return field.Page(page)[row * field.Width() + column];
}

int CountNonZero(const WaterField& field, int32_t page)
{
    int count = 0;
    for (int32_t i = 0; i < field.Width() * field.Height(); ++i)
        count += field.Page(page)[i] != 0;
    return count;
}

} // namespace

TEST(WaterField, ConstructedEmpty)
{
    WaterField field;
    EXPECT_EQ(0, field.Width());
    EXPECT_EQ(0, field.Height());
    EXPECT_EQ(0, field.CurrentPage());
    EXPECT_EQ(5, field.DampingShift());
    EXPECT_TRUE(field.IsEmpty());
}

TEST(WaterField, CreateZeroesBothPagesAndResetsPageAlsoWhenRecreated)
{
    WaterField field;
    field.Create(20, 10);
    field.AddDrop(10, 5, 5, 50, 0);
    field.AddDrop(10, 5, 5, 50, 1);
    uint32_t pixels[200] = {};
    field.Render(pixels, pixels + 0); // flips the page
    ASSERT_EQ(1, field.CurrentPage());
    field.Create(7, 9);
    EXPECT_EQ(7, field.Width());
    EXPECT_EQ(9, field.Height());
    EXPECT_EQ(0, field.CurrentPage());
    EXPECT_EQ(0, CountNonZero(field, 0));
    EXPECT_EQ(0, CountNonZero(field, 1));
}

TEST(WaterField, CreateRefusesSizesItCannotAddress)
{
    WaterField field;
    for (auto size : {std::pair<int32_t, int32_t>{0, 10}, {10, 0}, {-3, 5}, {5, -3},
                      {INT_MIN, INT_MIN}, {65536, 65536}, {INT_MAX, 2}}) {
        field.Create(10, 10);
        field.Create(size.first, size.second);
        EXPECT_TRUE(field.IsEmpty()) << size.first << "x" << size.second;
        EXPECT_EQ(0, field.Width());
        EXPECT_EQ(0, field.Height());
        // Every operation on the empty field is harmless.
        field.AddDrop(3, 3, 5, 50, 0);
        field.AddDrop(-1, -1, 5, 50, 1);
        field.Step(0, 5);
        field.Render(nullptr, nullptr);
    }
}

TEST(WaterField, DropOfRadiusFiveCoversSixtyNineCellsInTheDiscRows)
{
    WaterField field;
    field.Create(40, 40);
    field.AddDrop(20, 20, 5, 50, 0);
    EXPECT_EQ(69, CountNonZero(field, 0));
    EXPECT_EQ(0, CountNonZero(field, 1));
    const int widths[] = {5, 7, 9, 9, 9, 9, 9, 7, 5};
    for (int i = -4; i <= 4; ++i) {
        int inRow = 0;
        for (int c = 0; c < 40; ++c) {
            if (Cell(field, 0, 20 + i, c) != 0) {
                EXPECT_EQ(50, Cell(field, 0, 20 + i, c));
                EXPECT_LE(std::abs(c - 20), widths[i + 4] / 2);
                ++inRow;
            }
        }
        EXPECT_EQ(widths[i + 4], inRow) << "row offset " << i;
    }
    EXPECT_EQ(0, Cell(field, 0, 15, 20));
    EXPECT_EQ(0, Cell(field, 0, 25, 20));
    EXPECT_EQ(0, Cell(field, 0, 20, 15));
}

TEST(WaterField, DropAtOriginTouchesOnlyInteriorCellsWithoutDrawing)
{
    WaterField field;
    field.Create(12, 12);
    DropRandom::Seed(777);
    field.AddDrop(0, 0, 5, 50, 1);
    EXPECT_EQ(13, CountNonZero(field, 1));
    for (int r = 0; r < 12; ++r)
        for (int c = 0; c < 12; ++c)
            EXPECT_EQ((r >= 1 && c >= 1 && r * r + c * c < 25) ? 50 : 0, Cell(field, 1, r, c));
    // No random draw was taken: the generator gives its first value after the seed.
    DropRandom::Seed(777);
    const int32_t first = DropRandom::Next();
    DropRandom::Seed(777);
    field.AddDrop(0, 0, 5, 50, 1);
    EXPECT_EQ(first, DropRandom::Next());
}

// One negative coordinate is drawn, with one draw; the other stays as given.
TEST(WaterField, ANegativeCoordinateDrawsItselfAndKeepsTheOther)
{
    DropRandom::Seed(9);
    const int32_t draw = DropRandom::Next();
    const int32_t next = DropRandom::Next();
    {
        WaterField field;
        field.Create(50, 40);
        DropRandom::Seed(9);
        field.AddDrop(-1, 20, 5, 50, 0);
        const int32_t x = draw % (50 - 11) + 6;
        EXPECT_EQ(50, Cell(field, 0, 20, x - 4));
        EXPECT_EQ(50, Cell(field, 0, 20, x + 4));
        EXPECT_EQ(50, Cell(field, 0, 16, x));
        EXPECT_EQ(0, Cell(field, 0, 15, x));
        EXPECT_EQ(69, CountNonZero(field, 0));
        EXPECT_EQ(next, DropRandom::Next());
    }
    {
        WaterField field;
        field.Create(50, 40);
        DropRandom::Seed(9);
        field.AddDrop(30, -20, 5, 50, 1);
        const int32_t y = draw % (40 - 11) + 6;
        EXPECT_EQ(50, Cell(field, 1, y - 4, 30));
        EXPECT_EQ(50, Cell(field, 1, y + 4, 30));
        EXPECT_EQ(50, Cell(field, 1, y, 34));
        EXPECT_EQ(0, Cell(field, 1, y, 35));
        EXPECT_EQ(69, CountNonZero(field, 1));
        EXPECT_EQ(next, DropRandom::Next());
    }
}

TEST(WaterField, BothNegativeDrawXFirstThenY)
{
    WaterField field;
    field.Create(60, 30);
    DropRandom::Seed(4242);
    const int32_t first = DropRandom::Next();
    const int32_t second = DropRandom::Next();
    DropRandom::Seed(4242);
    field.AddDrop(-7, -7, 5, 50, 0);
    EXPECT_EQ(50, Cell(field, 0, second % (30 - 11) + 6, first % (60 - 11) + 6));
}

TEST(WaterField, TwoDropsAddUpAndClipAtEveryEdge)
{
    WaterField field;
    field.Create(16, 16);
    field.AddDrop(8, 8, 5, 50, 0);
    field.AddDrop(8, 8, 5, 50, 0);
    EXPECT_EQ(100, Cell(field, 0, 8, 8));
    WaterField edges;
    edges.Create(16, 16);
    edges.AddDrop(15, 15, 5, 50, 0);
    edges.AddDrop(100, 3, 5, 50, 0);
    edges.AddDrop(3, 100, 5, 50, 0);
    edges.AddDrop(INT_MAX, INT_MAX, INT_MAX, 50, 0);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(0, Cell(edges, 0, 0, i));
        EXPECT_EQ(0, Cell(edges, 0, 15, i));
        EXPECT_EQ(0, Cell(edges, 0, i, 0));
        EXPECT_EQ(0, Cell(edges, 0, i, 15));
    }
    // The drop at (15, 15) reaches the interior corner; the others fall outside.
    EXPECT_EQ(50, Cell(edges, 0, 14, 14));
    EXPECT_EQ(50, Cell(edges, 0, 11, 14));
    EXPECT_EQ(0, Cell(edges, 0, 10, 14));
}

TEST(WaterField, HugeAndNegativeRadiiStayInside)
{
    WaterField field;
    field.Create(9, 7);
    field.AddDrop(4, 3, -5, 50, 0);
    EXPECT_EQ(0, CountNonZero(field, 0));
    field.AddDrop(4, 3, INT_MAX, 1, 0);
    EXPECT_EQ(7 * 5, CountNonZero(field, 0)); // every interior cell, once
    // A modulus far below zero: no division by zero, the draws are still taken, and the
    // position lands outside the field.
    DropRandom::Seed(1);
    for (int draw = 0; draw < 4; ++draw)
        DropRandom::Next();
    const int32_t fifth = DropRandom::Next();
    DropRandom::Seed(1);
    field.AddDrop(-1, -1, INT_MAX, 1, 1);
    field.AddDrop(-1, -1, INT_MIN, 1, 1);
    EXPECT_EQ(0, CountNonZero(field, 1));
    EXPECT_EQ(fifth, DropRandom::Next());
    // A modulus of exactly zero (11 cells, radius 5): the first interior position, (6, 6).
    WaterField small;
    small.Create(11, 11);
    small.AddDrop(-1, -1, 5, 50, 0);
    EXPECT_EQ(50, Cell(small, 0, 6, 6));
    EXPECT_EQ(0, Cell(small, 0, 0, 6));
}

TEST(WaterField, AmountsWrapAtThirtyTwoBits)
{
    WaterField field;
    field.Create(10, 10);
    Cell(field, 0, 5, 5) = INT_MAX;
    field.AddDrop(5, 5, 1, 1, 0);
    EXPECT_EQ(INT_MIN, Cell(field, 0, 5, 5));
    field.AddDrop(5, 5, 1, -1, 0);
    EXPECT_EQ(INT_MAX, Cell(field, 0, 5, 5));
}

TEST(WaterField, StepSpreadsTheCentreToItsEightNeighbours)
{
    WaterField field;
    field.Create(6, 6);
    Cell(field, 1, 2, 2) = 64;
    field.Step(0, 5);
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 6; ++c) {
            const bool around = std::abs(r - 2) <= 1 && std::abs(c - 2) <= 1 && !(r == 2 && c == 2);
            EXPECT_EQ(around ? 16 : 0, Cell(field, 0, r, c)) << r << "," << c;
        }
    field.Step(1, 5);
    EXPECT_EQ(-31, Cell(field, 1, 2, 2));
    EXPECT_EQ(8, Cell(field, 1, 1, 1));
}

TEST(WaterField, StepAnyNonZeroPageMeansPageOne)
{
    WaterField field;
    field.Create(6, 6);
    Cell(field, 0, 2, 2) = 64;
    field.Step(-7, 5);
    EXPECT_EQ(16, Cell(field, 1, 1, 1));
}

TEST(WaterField, DampingRoundsTowardNegativeInfinity)
{
    // A single cell whose destination holds -value and whose neighbours are 0: v = value.
    const std::pair<int32_t, int32_t> cases[] = {{16, 16}, {-16, -15}, {64, 62}, {-64, -62}};
    for (auto [v, expected] : cases) {
        WaterField field;
        field.Create(3, 3);
        Cell(field, 0, 1, 1) = -v;
        field.Step(0, 5);
        EXPECT_EQ(expected, Cell(field, 0, 1, 1)) << v;
    }
}

TEST(WaterField, NeighbourSumOfMinusOneShiftsToMinusOne)
{
    WaterField field;
    field.Create(3, 3);
    // Border cells of the neighbour page are normally 0; set one to see the floor.
    Cell(field, 1, 0, 0) = -1;
    Cell(field, 0, 1, 1) = -3;
    field.Step(0, 5);
    // (-1 >> 2) is -1, so v = -1 - (-3) = 2; a truncating shift would give 3.
    EXPECT_EQ(2, Cell(field, 0, 1, 1));
}

TEST(WaterField, NarrowFieldsAreNeverWritten)
{
    for (auto [w, h] : {std::pair<int32_t, int32_t>{1, 1}, {2, 9}, {9, 2}, {1, 40}}) {
        WaterField field;
        field.Create(w, h);
        for (int32_t i = 0; i < w * h; ++i)
            field.Page(1)[i] = 1000;
        field.Step(0, 5);
        EXPECT_EQ(0, CountNonZero(field, 0));
    }
}

TEST(WaterField, StepWrapsExtremeHeightsLikeTheHardware)
{
    WaterField field;
    field.Create(3, 3);
    for (int i = 0; i < 9; ++i)
        field.Page(1)[i] = INT_MAX;
    Cell(field, 0, 1, 1) = INT_MIN;
    field.Step(0, 5);
    // Eight times INT_MAX wraps to -8; shifted by 2 that is -2; -2 - INT_MIN wraps to INT_MAX - 1.
    const int32_t v = INT_MAX - 1;
    EXPECT_EQ(v - (v >> 5), Cell(field, 0, 1, 1));
}
