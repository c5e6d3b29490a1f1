// The colours of the panel: dark graphite, light print, amber for what is lit.
#pragma once

#include <cstdint>

namespace brindlet::artwork {

struct Rgb {
    double r, g, b;
};

constexpr Rgb rgb(std::uint32_t hex) {
    return {((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0};
}

inline constexpr Rgb kPanelTop = rgb(0x3c3f45);
inline constexpr Rgb kPanelBottom = rgb(0x24262a);
inline constexpr Rgb kEngraveDark = rgb(0x141518);
inline constexpr Rgb kInk = rgb(0xe2e4e8);
inline constexpr Rgb kInkDim = rgb(0x9aa0a8);
inline constexpr Rgb kInkHeading = rgb(0xb8bec6);
inline constexpr Rgb kAmber = rgb(0xffb23e);
inline constexpr Rgb kAmberDim = rgb(0x5a4020);
inline constexpr Rgb kGroove = rgb(0x0c0d0f);
inline constexpr Rgb kCapLight = rgb(0x8a9098);
inline constexpr Rgb kCapDark = rgb(0x3e4248);
inline constexpr Rgb kButtonTop = rgb(0x4c5058);
inline constexpr Rgb kButtonBottom = rgb(0x30333a);
inline constexpr Rgb kButtonPressedTop = rgb(0x1c1d21);
inline constexpr Rgb kButtonPressedBottom = rgb(0x2a2c31);

// Handle accents by panel area.
inline constexpr Rgb kAccentPitch = rgb(0xffb23e);
inline constexpr Rgb kAccentEnv = rgb(0x5aa8ff);
inline constexpr Rgb kAccentLevel = rgb(0x6cd86c);
inline constexpr Rgb kAccentTrigger = rgb(0xc88cff);
inline constexpr Rgb kAccentOutput = rgb(0xff6450);

}  // namespace brindlet::artwork
