#include "framework/core/Matrix3x3.h"
#include "framework/graphics/DrawTransform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace Quib {
namespace {

Matrix3x3 Make(std::initializer_list<float> v)
{
    Matrix3x3 m;
    auto it = v.begin();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m.m[r][c] = *it++;
    return m;
}

void ExpectNear(const Matrix3x3& a, const Matrix3x3& b, float tolerance = 1e-5f)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(a.m[r][c], b.m[r][c], tolerance) << "entry " << r << c;
}

// Column-vector application, as the matrix conventions define it.
TPoint<float> ApplyColumn(const Matrix3x3& m, TPoint<float> p)
{
    float x = m.m[0][0] * p.x + m.m[0][1] * p.y + m.m[0][2];
    float y = m.m[1][0] * p.x + m.m[1][1] * p.y + m.m[1][2];
    float w = m.m[2][0] * p.x + m.m[2][1] * p.y + m.m[2][2];
    return {x / w, y / w};
}

TEST(Matrix3x3, ProductRowByColumn)
{
    Matrix3x3 a = Make({1, 2, 3, 4, 5, 6, 7, 8, 9});
    Matrix3x3 b = Make({9, 8, 7, 6, 5, 4, 3, 2, 1});
    EXPECT_EQ(Matrix3x3::Product(a, b), Make({30, 24, 18, 84, 69, 54, 138, 114, 90}));
    Matrix3x3 c = a;
    c.MultiplyInPlace(b);
    EXPECT_EQ(c, Matrix3x3::Product(a, b));
}

TEST(Matrix3x3, PreOperationsApplyAfterTheMatrix)
{
    Matrix3x3 m;
    m.PreScale(2, 3);
    m.PreTranslate(10, 20);
    EXPECT_EQ(m, Make({2, 0, 10, 0, 3, 20, 0, 0, 1}));
    TPoint<float> p = ApplyColumn(m, {1, 1});
    EXPECT_FLOAT_EQ(p.x, 12);
    EXPECT_FLOAT_EQ(p.y, 23);
}

TEST(Matrix3x3, PreRotateQuarterTurnMapsXToMinusY)
{
    Matrix3x3 m;
    m.PreRotate(static_cast<float>(std::numbers::pi / 2));
    TPoint<float> p = ApplyColumn(m, {1, 0});
    EXPECT_NEAR(p.x, 0.0f, 1e-6f);
    EXPECT_NEAR(p.y, -1.0f, 1e-6f);
}

TEST(Matrix3x3, PreRotateAndPostRotateAgreeThroughTheirConventions)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> angle(-7.0f, 7.0f), coord(-500.0f, 500.0f);
    for (int i = 0; i < 200; ++i) {
        float a = angle(rng);
        TPoint<float> p(coord(rng), coord(rng));
        Matrix3x3 column;
        column.PreRotate(a);
        Matrix3x3 row;
        row.PostRotate(a);
        TPoint<float> expected = ApplyColumn(column, p);
        TPoint<float> got = p;
        ASSERT_TRUE(TransformPoint3x3(row, got));
        EXPECT_NEAR(got.x, expected.x, 1e-3f);
        EXPECT_NEAR(got.y, expected.y, 1e-3f);
    }
}

TEST(Matrix3x3, TransformPointRowVectorAndDivide)
{
    Matrix3x3 m = Make({1, 0, 0, 0, 1, 0, 5, 7, 2}); // row-vector translation, w' = 2
    TPoint<float> p(1, 3);
    ASSERT_TRUE(TransformPoint3x3(m, p));
    EXPECT_FLOAT_EQ(p.x, 3.0f);
    EXPECT_FLOAT_EQ(p.y, 5.0f);
}

TEST(Matrix3x3, TransformPointRefusesZeroW)
{
    Matrix3x3 m = Make({1, 0, 1, 0, 1, 0, 0, 0, 0}); // w' = x
    TPoint<float> p(0, 4);
    EXPECT_FALSE(TransformPoint3x3(m, p));
    EXPECT_EQ(p, TPoint<float>(0, 4));
    p = {2, 4};
    EXPECT_TRUE(TransformPoint3x3(m, p));
    EXPECT_FLOAT_EQ(p.x, 1.0f);
}

TEST(DrawTransform, TranslateOnlyMatrix)
{
    DrawTransform t;
    t.Translate(3, 4);
    t.ToMatrix();
    EXPECT_FALSE(t.dirty);
    EXPECT_EQ(t.matrix, Make({1, 0, 3, 0, 1, 4, 0, 0, 1}));
}

TEST(DrawTransform, TranslateRotateTranslateStaysSimple)
{
    DrawTransform t;
    t.Translate(-5, -6);
    t.Rotate(0.5f);
    t.Translate(100, 200);
    t.Rotate(0.25f);
    EXPECT_FALSE(t.matrixForm);
    EXPECT_EQ(t.preX, -5.0f);
    EXPECT_EQ(t.preY, -6.0f);
    EXPECT_EQ(t.angle, 0.75f);
    EXPECT_EQ(t.postX, 100.0f);
    EXPECT_EQ(t.postY, 200.0f);
    t.ToMatrix();
    Matrix3x3 expected;
    expected.PreTranslate(-5, -6);
    expected.PreRotate(0.75f);
    expected.PreTranslate(100, 200);
    ExpectNear(t.matrix, expected);
}

TEST(DrawTransform, ScaleThenTranslateStaysSimple)
{
    DrawTransform t;
    t.Scale(2, 2);
    t.Translate(7, 8);
    t.Scale(1.5f, 1);
    EXPECT_FALSE(t.matrixForm);
    EXPECT_EQ(t.scaleX, 3.0f);
    EXPECT_EQ(t.scaleY, 2.0f);
    EXPECT_EQ(t.postX, 7.0f);
    EXPECT_EQ(t.preX, 0.0f);
    t.ToMatrix();
    EXPECT_EQ(t.matrix, Make({3, 0, 7, 0, 2, 8, 0, 0, 1}));
}

TEST(DrawTransform, MirrorStaysSimpleOnce)
{
    DrawTransform t;
    t.Scale(-1, 1);
    EXPECT_FALSE(t.matrixForm);
    EXPECT_EQ(t.scaleX, -1.0f);
    t.Scale(-1, 1);
    EXPECT_TRUE(t.matrixForm);
    EXPECT_EQ(t.matrix, Make({1, 0, 0, 0, 1, 0, 0, 0, 1}));
}

TEST(DrawTransform, CallsThatEndInMatrixForm)
{
    {
        DrawTransform t;
        t.Translate(1, 0);
        t.Scale(2, 2);
        EXPECT_TRUE(t.matrixForm);
        EXPECT_EQ(t.matrix, Make({2, 0, 2, 0, 2, 0, 0, 0, 1}));
    }
    {
        DrawTransform t;
        t.Scale(1, -1);
        EXPECT_TRUE(t.matrixForm);
        EXPECT_EQ(t.matrix, Make({1, 0, 0, 0, -1, 0, 0, 0, 1}));
    }
    {
        DrawTransform t;
        t.Rotate(0.3f);
        t.Scale(2, 2);
        EXPECT_TRUE(t.matrixForm);
    }
    {
        const float a = 0.4f;
        DrawTransform t;
        t.Scale(2, 2);
        t.Rotate(a);
        EXPECT_TRUE(t.matrixForm);
        Matrix3x3 expected;
        expected.PreScale(2, 2);
        expected.PreRotate(a);
        ExpectNear(t.matrix, expected);
        // Later translations pre-translate the matrix.
        t.Translate(5, 6);
        expected.PreTranslate(5, 6);
        ExpectNear(t.matrix, expected);
        EXPECT_FALSE(t.dirty);
    }
}

} // namespace
} // namespace Quib
