// The sky as a function of view direction, shared by the sky-box faces and
// the loading-screen picture: a blue gradient, the sun, cumulus clouds on a
// cloud layer, and two mountain ranges on the horizon whose ridge lines are
// periodic in azimuth (sampled on a circle) so they close all the way round.
#pragma once

#include <array>

namespace assetgen {

// Linear 0..1 colour of the sky seen along (dx, dy, dz); y is up and the
// direction need not be normalised.
std::array<float, 3> skyColour(float dx, float dy, float dz);

}  // namespace assetgen
