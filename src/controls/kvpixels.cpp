#include "kvpixels.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int FractionBits = 22;
constexpr qint32 One = qint32(1) << FractionBits;

// (a - b) << 22 / (n - 1), truncated toward zero; 0 for a run of one.
qint32 RunStep(quint32 a, quint32 b, int n)
{
    if (n <= 1)
        return 0;
    return (qint32(a) * One - qint32(b) * One) / (n - 1);
}

} // namespace

void KvFillPixels(quint32 *dst, qsizetype n, quint32 value)
{
    if (n <= 0)
        return;
    const qsizetype first = std::min<qsizetype>(n, 32);
    for (qsizetype i = 0; i < first; ++i)
        dst[i] = value;
    qsizetype filled = first;
    while (filled < n) {
        const qsizetype chunk = std::min(filled, n - filled);
        std::memcpy(dst + filled, dst, std::size_t(chunk) * sizeof(quint32));
        filled += chunk;
    }
}

TKvColorRun::TKvColorRun(TColor start, TColor end, int n)
    : m_blue(qint32(KvBlueOf(start)) * One)
    , m_green(qint32(KvGreenOf(start)) * One)
    , m_red(qint32(KvRedOf(start)) * One)
    , m_blueStep(RunStep(KvBlueOf(start), KvBlueOf(end), n))
    , m_greenStep(RunStep(KvGreenOf(start), KvGreenOf(end), n))
    , m_redStep(RunStep(KvRedOf(start), KvRedOf(end), n))
{}

quint32 TKvColorRun::Next()
{
    const quint32 pixel =
        KvMakePixel(quint32(m_red / One), quint32(m_green / One), quint32(m_blue / One), 255);
    m_blue -= m_blueStep;
    m_green -= m_greenStep;
    m_red -= m_redStep;
    return pixel;
}

void KvColorRun(quint32 *dst, int n, TColor start, TColor end)
{
    TKvColorRun run(start, end, n);
    for (int i = 0; i < n; ++i)
        dst[i] = run.Next();
}

TKvByteRamp::TKvByteRamp(int a, int b, int n)
    : m_value(qint32(a) * One)
    , m_step(RunStep(quint32(a), quint32(b), n))
{}

quint8 TKvByteRamp::Next()
{
    const quint8 entry = quint8(m_value >> FractionBits);
    m_value -= m_step;
    return entry;
}

void KvByteRamp(quint8 *dst, int n, int a, int b)
{
    TKvByteRamp ramp(a, b, n);
    for (int k = 0; k < n; ++k)
        dst[k] = ramp.Next();
}

quint32 KvDarken(quint32 p, quint32 v)
{
    const quint32 keep = 255 - v;
    return (p & 0xFF000000u)
           | KvMakePixel(KvPixelRed(p) * keep / 255, KvPixelGreen(p) * keep / 255,
                         KvPixelBlue(p) * keep / 255, 0);
}

quint32 KvLighten(quint32 p, quint32 v)
{
    const quint32 keep = 255 - v;
    const quint32 add = 255 * v;
    return (p & 0xFF000000u)
           | KvMakePixel((KvPixelRed(p) * keep + add) >> 8, (KvPixelGreen(p) * keep + add) >> 8,
                         (KvPixelBlue(p) * keep + add) >> 8, 0);
}

quint32 KvBlend(quint32 p, quint32 k, quint32 m)
{
    const quint32 keep = 255 - m;
    return (p & 0xFF000000u)
           | KvMakePixel((KvPixelRed(p) * keep + KvPixelRed(k) * m) >> 8,
                         (KvPixelGreen(p) * keep + KvPixelGreen(k) * m) >> 8,
                         (KvPixelBlue(p) * keep + KvPixelBlue(k) * m) >> 8, 0);
}

quint32 KvCover(quint32 p, quint32 k, quint32 m)
{
    if (m <= KvCoverThresholdLow)
        return p;
    if (m <= KvCoverThresholdHigh)
        return KvBlend(p, k, m);
    return k;
}
