#pragma once

namespace tilvex {

// 1 if segment (x1,y1)-(x2,y2) meets segment (x3,y3)-(x4,y4); touching ends count.
int SegmentsIntersect(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4);

}  // namespace tilvex
