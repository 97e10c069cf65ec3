#pragma once

// 2-D geometry: homogeneous matrices and measures of points and lines.
// Every operator returns kSuccess (2) or a failure number of HalconErrors.h and leaves
// its outputs untouched on failure.
//
// Points are (row, column); rows grow downward. A matrix is a tuple of six reals
// [a b c d e f] with row' = a*row + b*column + c and column' = d*row + e*column + f.
// Angles are radians; a positive angle turns counter-clockwise on screen, so rotating
// (row 0, column 1) about (0, 0) by +pi/2 gives (row -1, column 0).
//
// The hom_mat2d_* builders compose AFTER the given matrix: the new transformation is
// applied to the result of the old one. Their fixed point (px, py) is (row, column).
//
// Point-wise operators take tuples: every parameter holds one value or as many values as
// the longest; all empty gives empty results.

#include "HTuple.h"
#include "HalconTypes.h"

namespace Halcon {

Herror hom_mat2d_identity(HTuple *homMat2DIdentity);
// Moves by tx rows and ty columns.
Herror hom_mat2d_translate(const HTuple &homMat2D, const HTuple &tx, const HTuple &ty,
                           HTuple *homMat2DTranslate);
Herror hom_mat2d_rotate(const HTuple &homMat2D, const HTuple &phi, const HTuple &px, const HTuple &py,
                        HTuple *homMat2DRotate);
// Scales rows by sx and columns by sy about (px, py).
Herror hom_mat2d_scale(const HTuple &homMat2D, const HTuple &sx, const HTuple &sy, const HTuple &px,
                       const HTuple &py, HTuple *homMat2DScale);
// A singular matrix fails with kErrWrongValue1.
Herror hom_mat2d_invert(const HTuple &homMat2D, HTuple *homMat2DInvert);
// left * right: right is applied first, then left.
Herror hom_mat2d_compose(const HTuple &homMat2DLeft, const HTuple &homMat2DRight, HTuple *homMat2DCompose);

// (qx, qy) = the points (px, py) = (row, column) transformed.
Herror affine_trans_point_2d(const HTuple &homMat2D, const HTuple &px, const HTuple &py, HTuple *qx,
                             HTuple *qy);

Herror distance_pp(const HTuple &row1, const HTuple &column1, const HTuple &row2, const HTuple &column2,
                   HTuple *distance);
// Angle from line A (a1 -> a2) to line B (b1 -> b2) in (-pi, pi], counter-clockwise on
// screen positive: from a downward line to a rightward line is +pi/2.
Herror angle_ll(const HTuple &rowA1, const HTuple &columnA1, const HTuple &rowA2, const HTuple &columnA2,
                const HTuple &rowB1, const HTuple &columnB1, const HTuple &rowB2, const HTuple &columnB2,
                HTuple *angle);
// Angle of the line 1 -> 2 against the horizontal axis in (-pi, pi], counter-clockwise on
// screen positive: a line pointing up (rows decreasing) gives +pi/2.
Herror angle_lx(const HTuple &row1, const HTuple &column1, const HTuple &row2, const HTuple &column2,
                HTuple *angle);
// Intersection of the infinite lines through A and B. Parallel lines have no single
// intersection: the call fails with kErrParallelLines and writes nothing, so callers need
// only the return code to tell. A line whose two points coincide fails with kErrWrongValue1
// (line A) or kErrWrongValue5 (line B). isOverlapping is 0 for every pair that does intersect.
Herror intersection_ll(const HTuple &rowA1, const HTuple &columnA1, const HTuple &rowA2,
                       const HTuple &columnA2, const HTuple &rowB1, const HTuple &columnB1,
                       const HTuple &rowB2, const HTuple &columnB2, HTuple *row, HTuple *column,
                       HTuple *isOverlapping);

} // namespace Halcon
