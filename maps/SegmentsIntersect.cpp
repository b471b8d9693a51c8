#include "maps/SegmentsIntersect.h"

namespace tilvex {

namespace {
// Bounding-box rejection along one axis; b is (p3 - p4) along that axis.
bool BoxesApart(double p1, double p2, double a, double p3, double p4, double b)
{
    double lo = p1, hi = p2;
    if (a < 0) {
        lo = p2;
        hi = p1;
    }
    if (b > 0) return p4 > hi || p3 < lo;
    return p3 > hi || p4 < lo;
}

bool WithinSpan(double v, double f)
{
    return f > 0 ? (v >= 0 && v <= f) : (v >= f && v <= 0);
}
}  // namespace

int SegmentsIntersect(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4)
{
    double ax = x2 - x1, ay = y2 - y1;
    double bx = x3 - x4, by = y3 - y4;
    if (BoxesApart(x1, x2, ax, x3, x4, bx)) return 0;
    if (BoxesApart(y1, y2, ay, y3, y4, by)) return 0;
    double cx = x1 - x3, cy = y1 - y3;
    double f = bx * ay - by * ax;
    double d = cx * by - cy * bx;
    if (!WithinSpan(d, f)) return 0;
    double e = cy * ax - cx * ay;
    return WithinSpan(e, f) ? 1 : 0;
}

}  // namespace tilvex
