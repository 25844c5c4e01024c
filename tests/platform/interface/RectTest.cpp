#include <gtest/gtest.h>

#include <Rect.h>

TEST(BRect, WidthCountsFromLeftToRightEdge)
{
	BRect rect(0, 0, 280, 70);
	EXPECT_EQ(rect.Width(), 280);
	EXPECT_EQ(rect.IntegerWidth(), 280);
	EXPECT_EQ(rect.IntegerHeight(), 70);
}

TEST(BRect, DefaultRectangleIsInvalid)
{
	EXPECT_FALSE(BRect().IsValid());
	EXPECT_TRUE(BRect(3, 3, 3, 3).IsValid());
}

TEST(BRect, ContainsIncludesAllFourEdges)
{
	BRect rect(10, 20, 30, 40);
	EXPECT_TRUE(rect.Contains(BPoint(10, 20)));
	EXPECT_TRUE(rect.Contains(BPoint(30, 40)));
	EXPECT_FALSE(rect.Contains(BPoint(30.5f, 40)));
	EXPECT_FALSE(rect.Contains(BPoint(10, 19.5f)));
	EXPECT_TRUE(rect.Contains(BRect(10, 20, 30, 40)));
	EXPECT_FALSE(rect.Contains(BRect(10, 20, 31, 40)));
}

TEST(BRect, IntersectionAndUnionTakeTheInnerAndOuterEdges)
{
	BRect a(0, 0, 10, 10);
	BRect b(5, -5, 15, 8);
	EXPECT_EQ(a & b, BRect(5, 0, 10, 8));
	EXPECT_EQ(a | b, BRect(0, -5, 15, 10));
	EXPECT_FALSE((a & BRect(20, 20, 30, 30)).IsValid());
}

TEST(BRect, InsetMovesEveryEdgeInwardAndOffsetKeepsTheSize)
{
	BRect rect(0, 0, 10, 20);
	EXPECT_EQ(rect.InsetByCopy(2, 3), BRect(2, 3, 8, 17));
	EXPECT_EQ(rect.InsetByCopy(-1, -1), BRect(-1, -1, 11, 21));
	EXPECT_EQ(rect.OffsetByCopy(5, -5), BRect(5, -5, 15, 15));
	EXPECT_EQ(rect.OffsetToCopy(100, 100), BRect(100, 100, 110, 120));
	EXPECT_EQ(rect.OffsetToCopy(B_ORIGIN), rect);
}
