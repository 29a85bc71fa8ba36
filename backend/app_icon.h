// The application's icon, drawn here from a few rounded rectangles: a blue
// tile with a spread of three windows above a Dock shelf, the agent's
// trade. The build writes it into the bundle (Resources/AppIcon.icns); the
// About panel, the Accessibility list and Login Items show it.
#pragma once

#include <cstdint>
#include <vector>

namespace backend {

inline constexpr std::uint32_t kMinAppIconSide = 16;
inline constexpr std::uint32_t kMaxAppIconSide = 1024;

// The icon `side` pixels square: RGBA, 8 bits a sample, rows from the top,
// colour not premultiplied; edges anti-aliased by their covered area. Empty
// for a side outside [kMinAppIconSide, kMaxAppIconSide].
std::vector<unsigned char> appIconRGBA(std::uint32_t side);

}  // namespace backend
