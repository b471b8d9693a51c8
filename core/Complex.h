#pragma once

namespace tilvex {

// A plane point or complex number; re = x, im = y.
struct Complex {
    double re = 0.0;
    double im = 0.0;

    constexpr Complex() = default;
    constexpr Complex(double r, double i) : re(r), im(i) {}

    friend constexpr Complex operator+(Complex a, Complex b) { return {a.re + b.re, a.im + b.im}; }
    friend constexpr Complex operator-(Complex a, Complex b) { return {a.re - b.re, a.im - b.im}; }
    // The order of the terms is kept as the program has always computed it.
    friend constexpr Complex operator*(Complex a, Complex b)
    {
        return {a.re * b.re - a.im * b.im, a.re * b.im + b.re * a.im};
    }
    friend constexpr Complex operator*(Complex a, double s) { return {a.re * s, a.im * s}; }
    friend constexpr Complex operator*(double s, Complex a) { return {s * a.re, s * a.im}; }
    friend constexpr bool operator==(Complex a, Complex b) { return a.re == b.re && a.im == b.im; }
};

constexpr Complex Conj(Complex z) { return {z.re, -z.im}; }

}  // namespace tilvex
