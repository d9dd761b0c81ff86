#include "tests/support/Differential.h"

#include "framework/core/CpuFeatures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

namespace Quib::Testing {

void RunCases(const std::string& what, int count, const std::function<void(uint32_t seed)>& body, uint32_t first)
{
    const std::string loops = PixelLoopsName(ActivePixelLoops());
    for (uint32_t seed = first; seed < first + uint32_t(count); ++seed) {
        SCOPED_TRACE(what + ", case seed " + std::to_string(seed) + ", pixel loops " + loops);
        body(seed);
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

CanaryBuffer::CanaryBuffer(int width, int height, int bytesPerPixel, int border, int rowPadding)
    : width_(width), height_(height), bpp_(bytesPerPixel), border_(border),
      pitch_((width + 2 * border) * bytesPerPixel + rowPadding), bytes_(size_t(pitch_) * (height + 2 * border))
{
    for (size_t i = 0; i < bytes_.size(); ++i)
        bytes_[i] = kCanary[i % 4];
}

uint32_t CanaryBuffer::Get(int x, int y) const
{
    uint32_t v = 0;
    for (int i = 0; i < bpp_; ++i)
        v |= uint32_t(bytes_[Offset(x, y) + size_t(i)]) << (8 * i);
    return v;
}

void CanaryBuffer::Set(int x, int y, uint32_t value)
{
    for (int i = 0; i < bpp_; ++i)
        bytes_[Offset(x, y) + size_t(i)] = uint8_t(value >> (8 * i));
}

void CanaryBuffer::Assign(const std::vector<uint32_t>& picture)
{
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            Set(x, y, picture[size_t(y) * width_ + x]);
}

std::vector<uint32_t> CanaryBuffer::Pixels() const
{
    std::vector<uint32_t> out;
    out.reserve(size_t(width_) * height_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            out.push_back(Get(x, y));
    return out;
}

bool CanaryBuffer::Inside(size_t index) const
{
    const int row = int(index / pitch_) - border_, column = int(index % pitch_) - border_ * bpp_;
    return row >= 0 && row < height_ && column >= 0 && column < width_ * bpp_;
}

std::string CanaryBuffer::CanaryDamage() const
{
    for (size_t i = 0; i < bytes_.size(); ++i)
        if (!Inside(i) && bytes_[i] != kCanary[i % 4]) {
            std::ostringstream o;
            o << "canary byte " << int(i % pitch_) - border_ * bpp_ << " of row " << int(i / pitch_) - border_
              << " changed";
            return o.str();
        }
    return {};
}

std::string CanaryBuffer::FirstDifference(const CanaryBuffer& other) const
{
    if (other.bytes_.size() != bytes_.size() || other.pitch_ != pitch_)
        return "buffers of different shapes";
    for (size_t i = 0; i < bytes_.size(); ++i) {
        if (bytes_[i] == other.bytes_[i])
            continue;
        std::ostringstream o;
        if (!Inside(i)) {
            o << "canary byte " << int(i % pitch_) - border_ * bpp_ << " of row " << int(i / pitch_) - border_
              << " got " << int(bytes_[i]) << " want " << int(other.bytes_[i]);
        } else {
            const int x = (int(i % pitch_) - border_ * bpp_) / bpp_, y = int(i / pitch_) - border_;
            o << "(" << x << ", " << y << ") got " << std::hex << Get(x, y) << " want " << other.Get(x, y);
        }
        return o.str();
    }
    return {};
}

void ExpectSameDrawing(const CanaryBuffer& fast, const CanaryBuffer& reference)
{
    EXPECT_EQ(fast.CanaryDamage(), "") << "wrote outside the destination";
    EXPECT_EQ(fast.FirstDifference(reference), "") << "differs from the reference";
}

} // namespace Quib::Testing
