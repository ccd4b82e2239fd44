#include "world/light_map.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <thread>

namespace vorn {
namespace {

constexpr float kPi = 3.14159265f;
// A row of the product table: one truncated product per texel value.
constexpr int kValues = 256;
// Marks a product whose fraction is so close to 1 that adding it to a large
// sum in single precision may round up to the next integer.
constexpr int32_t kRoundingRisk = -1;

int powerOfTwoAtLeast(int n) {
  int p = 2;
  while (p < n) p *= 2;
  return p;
}

uint8_t* texel(VornImage& image, int column, int row) {
  return &image.pixels[(static_cast<size_t>(row) * image.width + column) * 3];
}

// a * k / f + b * (f - k) / f per channel, truncated.
void blendTexel(const uint8_t* a, const uint8_t* b, int k, int f, uint8_t* out) {
  const float ff = static_cast<float>(f);
  for (int ch = 0; ch < 3; ++ch) {
    const float v = static_cast<float>(a[ch] * k) / ff + static_cast<float>(b[ch] * (f - k)) / ff;
    out[ch] = static_cast<uint8_t>(v > 255.0f ? 255 : static_cast<int>(v));
  }
}

// Spacing of single-precision floats just above `value` rounded up to a
// power of two: any sum up to `value` rounds within half of it.
float floatSpacingUpTo(double value) {
  int exponent = 0;
  std::frexp(value, &exponent);  // value < 2^exponent
  return std::ldexp(1.0f, exponent - 24);
}

// The blur of one channel plane (rows x columns, tightly packed), reading
// `source` and writing rows [rowBegin, rowEnd) of `target`.
struct BlurJob {
  const uint8_t* source;
  uint8_t* target;
  int rows;
  int columns;
  int radius;
  const float* kernel;            // (2R+1)^2
  const int32_t* products;        // (2R+1)^2 * 256: truncated products or kRoundingRisk
  const int* rowClass;            // per texel row: index into the weight-sum table
  const int* columnClass;         // per texel column
  const float* weightSums;        // rowClass * columnClasses + columnClass
  int columnClasses;
};

void blurRows(const BlurJob& job, int rowBegin, int rowEnd) {
  const int r = job.radius;
  const int k = 2 * r + 1;
  for (int z = rowBegin; z < rowEnd; ++z) {
    const int iLo = z - r < 0 ? r - z : 0;
    const int iHi = z + r >= job.rows ? job.rows - 1 - z + r : 2 * r;
    const float* weightRow = job.weightSums + static_cast<size_t>(job.rowClass[z]) * job.columnClasses;
    uint8_t* out = job.target + static_cast<size_t>(z) * job.columns;
    for (int x = 0; x < job.columns; ++x) {
      const int jLo = x - r < 0 ? r - x : 0;
      const int jHi = x + r >= job.columns ? job.columns - 1 - x + r : 2 * r;
      int sum = 0;
      for (int i = iLo; i <= iHi; ++i) {
        const uint8_t* src = job.source + static_cast<size_t>(z - r + i) * job.columns + (x - r);
        const int32_t* table = job.products + (static_cast<size_t>(i) * k + jLo) * kValues;
        const float* weight = job.kernel + static_cast<size_t>(i) * k;
        for (int j = jLo; j <= jHi; ++j, table += kValues) {
          const uint8_t value = src[j];
          const int32_t product = table[value];
          if (product != kRoundingRisk) {
            sum += product;
          } else {
            const float term = static_cast<float>(value) * weight[j];
            sum = static_cast<int>(term + static_cast<float>(sum));
          }
        }
      }
      const float v = static_cast<float>(sum) / weightRow[job.columnClass[x]];
      out[x] = static_cast<uint8_t>(v <= 255.0f ? static_cast<int>(v) : 255);
    }
  }
}

// Window clip classes along one axis: texels whose clipped window covers the
// same kernel index range share a class. Returns per-texel class ids and the
// (lo, hi) range of each class.
void windowClasses(int count, int radius, std::vector<int>& classOf, std::vector<std::pair<int, int>>& ranges) {
  classOf.resize(count);
  ranges.clear();
  for (int p = 0; p < count; ++p) {
    const int lo = p - radius < 0 ? radius - p : 0;
    const int hi = p + radius >= count ? count - 1 - p + radius : 2 * radius;
    int id = -1;
    for (size_t c = 0; c < ranges.size(); ++c) {
      if (ranges[c].first == lo && ranges[c].second == hi) id = static_cast<int>(c);
    }
    if (id < 0) {
      id = static_cast<int>(ranges.size());
      ranges.emplace_back(lo, hi);
    }
    classOf[p] = id;
  }
}

}  // namespace

LightMapLayout lightMapLayout(int gridWidth, int gridHeight, int requestedTexelsPerCell) {
  assert(gridWidth >= 2 && gridHeight >= 2 && requestedTexelsPerCell >= 0 && "light map needs a grid");
  int f = requestedTexelsPerCell + 1;
  const int texW = powerOfTwoAtLeast(gridWidth * f - 1);
  const int texH = powerOfTwoAtLeast(gridHeight * f - 1);
  while (gridHeight * f - 1 < texH && gridWidth * f - 1 < texW) ++f;
  --f;
  return {f, texW, texH};
}

std::string lightMapCacheName(const std::string& heightMapName, const LightMapLayout& layout, int passes,
                              int radius, const VornVector& lightDirection) {
  const std::string stem = heightMapName.size() > 4 ? heightMapName.substr(0, heightMapName.size() - 4) : "";
  char suffix[160];
  std::snprintf(suffix, sizeof suffix, "_%d_%d_%d_%2.02f_%2.02f_%2.02f", layout.texelsPerCell, passes, radius,
                static_cast<double>(lightDirection.x), static_cast<double>(lightDirection.y),
                static_cast<double>(lightDirection.z));
  return stem + suffix + ".bmp";
}

std::vector<float> lightMapBlurKernel(int radius) {
  assert(radius >= 1 && "blur radius must be positive");
  const int k = 2 * radius + 1;
  const double pi = static_cast<double>(kPi);
  std::vector<float> factor(k);
  for (int i = 0; i < k; ++i) {
    factor[i] = static_cast<float>(std::cos((i * 1.5 / (2 * radius) - 0.75) * pi) + 1.0);
  }
  std::vector<float> kernel(static_cast<size_t>(k) * k);
  for (int i = 0; i < k; ++i) {
    for (int j = 0; j < k; ++j) kernel[static_cast<size_t>(i) * k + j] = factor[i] * factor[j];
  }
  return kernel;
}

std::vector<VornVector> gridVertexNormals(const HeightGrid& grid, float spacingX, float spacingZ) {
  const int w = grid.width;
  const int h = grid.height;
  std::vector<VornVector> sum(static_cast<size_t>(w) * h);
  std::vector<int> count(sum.size(), 0);
  auto point = [&](int c, int r) { return VornVector(c * spacingX, grid.at(c, r), r * spacingZ); };
  auto add = [&](int c, int r, const VornVector& n) {
    const size_t i = static_cast<size_t>(r) * w + c;
    sum[i] += n;
    ++count[i];
  };
  for (int r = 0; r + 1 < h; ++r) {
    for (int c = 0; c + 1 < w; ++c) {
      // The two triangles of the cell, in the mesh's winding (normals up).
      const VornVector first = triangleNormal(point(c, r), point(c, r + 1), point(c + 1, r));
      add(c, r, first);
      add(c, r + 1, first);
      add(c + 1, r, first);
      const VornVector second = triangleNormal(point(c, r + 1), point(c + 1, r + 1), point(c + 1, r));
      add(c, r + 1, second);
      add(c + 1, r + 1, second);
      add(c + 1, r, second);
    }
  }
  for (size_t i = 0; i < sum.size(); ++i) {
    if (count[i] > 0) sum[i] = sum[i] / static_cast<float>(count[i]);
  }
  return sum;
}

VornImage lightMapUnblurred(const HeightGrid& grid, float spacingX, float spacingZ, const LightMapLayout& layout,
                            const VornVector& lightDirection) {
  const int w = grid.width;
  const int h = grid.height;
  const int f = layout.texelsPerCell;
  VornImage image;
  image.reset(static_cast<uint32_t>(layout.width), static_cast<uint32_t>(layout.height), kImageRGB, kImageRGB);
  std::fill(image.pixels.begin(), image.pixels.end(), uint8_t{255});

  const std::vector<VornVector> normals = gridVertexNormals(grid, spacingX, spacingZ);
  for (int r = 0; r + 1 < h; ++r) {
    for (int c = 0; c < w; ++c) {
      const float d = normals[static_cast<size_t>(r) * w + c].dot(lightDirection);
      int grey = kLightMapShadowGrey;
      if (d > 0.0f) {
        const float lit = kLightMapDiffuseScale * d + kLightMapShadowGrey;
        grey = lit <= 255.0f ? static_cast<int>(lit) : 255;
      }
      uint8_t* t = texel(image, c * f, r * f);
      t[0] = t[1] = t[2] = static_cast<uint8_t>(grey);
    }
  }
  if (f > 1) {
    for (int r = 0; r + 1 < h; ++r) {
      for (int c = 0; c + 1 < w; ++c) {
        const uint8_t* self = texel(image, c * f, r * f);
        const uint8_t* next = texel(image, (c + 1) * f, r * f);
        for (int k = 1; k < f; ++k) blendTexel(next, self, k, f, texel(image, c * f + k, r * f));
      }
    }
    for (int x = 0; x <= w * f - 2; ++x) {
      for (int r = 0; r + 1 < h; ++r) {
        const uint8_t* self = texel(image, x, r * f);
        const uint8_t* next = texel(image, x, (r + 1) * f);
        for (int k = 1; k < f; ++k) blendTexel(next, self, k, f, texel(image, x, r * f + k));
      }
    }
  }
  return image;
}

void blurLightMap(VornImage& image, int gridWidth, int gridHeight, int f, int passes, int radius, int threads) {
  if (f <= 1 || passes <= 0) return;
  assert(radius >= 1 && image.format == kImageRGB && "light map blur takes an RGB image");
  const int rows = lightMapBlurRows(gridHeight, f);
  const int columns = lightMapBlurColumns(gridWidth, f);
  assert(rows <= static_cast<int>(image.height) && columns <= static_cast<int>(image.width) &&
         "blur block outside the image");
  const int k = 2 * radius + 1;
  const std::vector<float> kernel = lightMapBlurKernel(radius);

  // Truncated products per window place and texel value. A sum stays below
  // 255 * 4 * k^2; adding a product whose fraction lies within one float
  // spacing of 1 might round up there, so those few take the float path.
  const float spacing = floatSpacingUpTo(255.0 * 4.0 * k * k + 256.0);
  const bool exactIntegers = 255.0 * 4.0 * k * k + 256.0 < 16777216.0;
  std::vector<int32_t> products(static_cast<size_t>(k) * k * kValues);
  for (size_t ij = 0; ij < kernel.size(); ++ij) {
    for (int v = 0; v < kValues; ++v) {
      const float term = static_cast<float>(v) * kernel[ij];
      const float whole = std::trunc(term);
      const bool risky = !exactIntegers || 1.0f - (term - whole) <= spacing;
      products[ij * kValues + v] = risky ? kRoundingRisk : static_cast<int32_t>(whole);
    }
  }

  // The weight sum depends only on how the window is clipped. It is summed
  // in single precision without truncation: truncating each addition, as the
  // channel sums do, would drop every weight below 1 and most fractions,
  // inflate every quotient by about 1.7 and turn all lit ground white.
  std::vector<int> rowClass, columnClass;
  std::vector<std::pair<int, int>> rowRanges, columnRanges;
  windowClasses(rows, radius, rowClass, rowRanges);
  windowClasses(columns, radius, columnClass, columnRanges);
  std::vector<float> weightSums(rowRanges.size() * columnRanges.size());
  for (size_t a = 0; a < rowRanges.size(); ++a) {
    for (size_t b = 0; b < columnRanges.size(); ++b) {
      float weightSum = 0.0f;
      for (int i = rowRanges[a].first; i <= rowRanges[a].second; ++i) {
        for (int j = columnRanges[b].first; j <= columnRanges[b].second; ++j) {
          weightSum += kernel[static_cast<size_t>(i) * k + j];
        }
      }
      weightSums[a * columnRanges.size() + b] = weightSum;
    }
  }

  // The map is grey, so the three channels are usually one plane; blur each
  // distinct plane once.
  const size_t planeSize = static_cast<size_t>(rows) * columns;
  std::vector<uint8_t> planes[3];
  for (int ch = 0; ch < 3; ++ch) {
    planes[ch].resize(planeSize);
    for (int z = 0; z < rows; ++z) {
      const uint8_t* src = texel(image, 0, z) + ch;
      uint8_t* dst = &planes[ch][static_cast<size_t>(z) * columns];
      for (int x = 0; x < columns; ++x) dst[x] = src[x * 3];
    }
  }
  const bool grey = planes[1] == planes[0] && planes[2] == planes[0];
  const int distinctPlanes = grey ? 1 : 3;

  std::vector<uint8_t> source(planeSize);
  const int workers = threads < 1 ? 1 : threads;
  for (int ch = 0; ch < distinctPlanes; ++ch) {
    for (int pass = 0; pass < passes; ++pass) {
      source = planes[ch];
      const BlurJob job{source.data(), planes[ch].data(), rows,          columns,
                        radius,        kernel.data(),     products.data(), rowClass.data(),
                        columnClass.data(), weightSums.data(), static_cast<int>(columnRanges.size())};
      std::vector<std::thread> pool;
      for (int t = 1; t < workers; ++t) {
        pool.emplace_back(blurRows, std::cref(job), rows * t / workers, rows * (t + 1) / workers);
      }
      blurRows(job, 0, rows / workers);
      for (std::thread& worker : pool) worker.join();
    }
  }
  for (int ch = 0; ch < 3; ++ch) {
    const std::vector<uint8_t>& plane = planes[grey ? 0 : ch];
    for (int z = 0; z < rows; ++z) {
      uint8_t* dst = texel(image, 0, z) + ch;
      const uint8_t* src = &plane[static_cast<size_t>(z) * columns];
      for (int x = 0; x < columns; ++x) dst[x * 3] = src[x];
    }
  }
}

VornImage computeLightMap(const HeightGrid& grid, float spacingX, float spacingZ, const LightMapLayout& layout,
                          int passes, int radius, const VornVector& lightDirection, int threads) {
  VornImage image = lightMapUnblurred(grid, spacingX, spacingZ, layout, lightDirection);
  blurLightMap(image, grid.width, grid.height, layout.texelsPerCell, passes, radius, threads);
  return image;
}

std::vector<float> lightMapTexCoords(int gridWidth, int gridHeight, const LightMapLayout& layout) {
  const int f = layout.texelsPerCell;
  const float u = static_cast<float>(layout.width - 1);
  const float v = static_cast<float>(layout.height + 1);
  std::vector<float> coords;
  coords.reserve(static_cast<size_t>(gridWidth) * 4 * (gridHeight - 1));
  for (int r = 0; r + 1 < gridHeight; ++r) {
    for (int c = 0; c < gridWidth; ++c) {
      coords.push_back(static_cast<float>(c * f) / u);
      coords.push_back(static_cast<float>(r * f) / v);
      coords.push_back(static_cast<float>(c * f) / u);
      coords.push_back(static_cast<float>((r + 1) * f) / v);
    }
  }
  return coords;
}

}  // namespace vorn
