#include "maps/SqrMap.h"

#include <cmath>


namespace tilvex {

SqrMap::SqrMap()
    : coef(36, -1), angleX(6, -1), angleY(6, -1), sinX(6, -1), cosY(6, -1), sinY(6, -1), cosX(6, -1)
{
}

int SqrMap::CoefIndex(int i, int j) const
{
    if (i < 0 || j < 0 || i >= coefRows || j >= coefCols) return -1;
    int index = static_cast<std::uint16_t>(i + j * coefCols);
    return index < coef.GetSize() ? index : -1;
}

double SqrMap::Coef(int i, int j) const
{
    int index = CoefIndex(i, j);
    return index < 0 ? 0.0 : coef[index];
}

void SqrMap::SetCoef(int i, int j, double value)
{
    int index = CoefIndex(i, j);
    if (index >= 0) coef[index] = value;
}

// Inlined into Iterate so the point stays in registers through the step: the
// loop is bound by this chain of dependent steps.
[[gnu::always_inline]] inline void SqrMap::PlainStep()
{
    a = twoPi * x;
    b = twoPi * y;
    a2 = a * 2;
    a3 = a2 + a;
    b2 = b * 2;
    b3 = b2 + b;
    sinA = std::sin(a);
    sin2A = std::sin(a2);
    sinB = std::sin(b);
    sin2B = std::sin(b2);
    double sin3A = std::sin(a3), cos2B = std::cos(b2), cosB = std::cos(b);
    double sin3B = std::sin(b3), cos2A = std::cos(a2), cosA = std::cos(a);

    double nx = gamma * sin3A * cos2B + alpha * sinA * cosB - omega * sinB + beta * sin2A + lambda * sinA +
                emm * x + shiftX;
    double ny = gamma * sin3B * cos2A + alpha * sinB * cosA - omega * sinA + beta * sin2B + lambda * sinB +
                emm * y + shiftY;
    x = ReduceToUnit(nx);
    y = ReduceToUnit(ny);
}

void SqrMap::Step() { PlainStep(); }

Complex SqrMap::Iterate(const Complex& p)
{
    x = p.re;
    y = p.im;
    if (detailed)
        StepDetailed();
    else
        PlainStep();
    lastX = x;
    lastY = y;
    return {x, y};
}

void SqrMap::StepDetailed()
{
    const int n = depth < 6 ? depth : 6;  // the scratch arrays hold six harmonics
    if (n > 0) {
        angleX[0] = twoPi * x;
        angleY[0] = twoPi * y;
        for (int k = 1; k < n; ++k) {
            angleX[k] = angleX[0] + angleX[k - 1];
            angleY[k] = angleY[0] + angleY[k - 1];
        }
        for (int k = 0; k < n; ++k) {
            sinX[k] = std::sin(angleX[k]);
            cosX[k] = std::cos(angleX[k]);
            sinY[k] = std::sin(angleY[k]);
            cosY[k] = std::cos(angleY[k]);
        }
    }
    x = emm * x + shiftX;
    y = emm * y + shiftY;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            double c = Coef(i, j);
            x = x + c * sinX[i] * cosY[j];
            y = y + c * sinY[i] * cosX[j];
        }
    }
    x = ReduceToUnit(x);
    y = ReduceToUnit(y);
}

void SqrMap::Randomize(RandomSource& random)
{
    lambda = 0.4 * random.RandomUnit() - 0.2;
    alpha = 0.8 * random.RandomUnit() - 0.4;
    beta = 0.8 * random.RandomUnit() - 0.6;
    gamma = 0.161 * random.RandomUnit() - 0.05;
    omega = 0.02 * random.RandomUnit() - 0.01;
    int first = random.rand() % 3;
    int second = random.rand() % 3;
    emm = static_cast<double>(first - second);
    x = random.RandomUnit();
    y = random.RandomUnit();
    double shift = (random.rand() % 2 == 0) ? 0.5 : 0.0;
    shiftX = shiftY = shift;
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) SetCoef(i, j, 0.8 * random.RandomUnit() - 0.4);
}

}  // namespace tilvex
