#include <cmath>

#include "keyed.h"
#include "middle_pictures.h"
#include "noise.h"
#include "raytrace.h"
#include "sparkle.h"

namespace mkmedia {

namespace {

constexpr int kBands = 26;  // latitude rows of mirror tiles

// The club around the ball: a dim ring of coloured light and a dozen spots.
Vec3 clubLights(Vec3 d) {
  float hue = std::atan2(d.z, d.x) / kTau;
  Vec3 ring = cosinePalette(hue * 2.0f, {0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, {1, 1, 1}, {0.0f, 0.33f, 0.67f});
  Vec3 colour = ring * (0.22f * (0.6f + 0.4f * d.y)) + studioEnvironment(d) * 0.5f;
  SeededRandom random(77);
  for (int i = 0; i < 14; ++i) {
    Vec3 direction = normalize({random.range(-1, 1), random.range(-0.6f, 1), random.range(-0.2f, 1)});
    Vec3 tint =
        cosinePalette(random.uniform(), {0.6f, 0.6f, 0.6f}, {0.6f, 0.6f, 0.6f}, {1, 1, 1}, {0.0f, 0.33f, 0.67f});
    colour += tint * (1.6f * std::pow(std::max(0.0f, dot(d, direction)), 90.0f));
  }
  return colour;
}

Vec3 shadeBall(const Ray& ray) {
  // Unit sphere at the origin.
  float b = dot(ray.origin, ray.direction);
  float c = dot(ray.origin, ray.origin) - 1.0f;
  float disc = b * b - c;
  if (disc < 0) return {};
  Vec3 hit = ray.origin + ray.direction * (-b - std::sqrt(disc));

  // Tile coordinates in the ball's own frame (spun and tilted a little).
  const float spin = 0.35f, tilt = 0.25f;
  Vec3 local = rotateY(rotateX(hit, tilt), spin);
  float latitude = std::asin(std::clamp(local.y, -1.0f, 1.0f));
  float band = (latitude / kPi + 0.5f) * float(kBands);
  int row = std::min(kBands - 1, int(band));
  float rowCentre = ((float(row) + 0.5f) / float(kBands) - 0.5f) * kPi;
  int tiles = std::max(4, int(std::lround(2.0f * float(kBands) * std::cos(rowCentre))));
  float longitude = std::atan2(local.z, local.x);
  float around = (longitude / kTau + 0.5f) * float(tiles);
  int column = std::min(tiles - 1, int(around));
  float colCentre = ((float(column) + 0.5f) / float(tiles) - 0.5f) * kTau;

  // Each tile is a flat mirror with a slight random tilt, so neighbours flash
  // differently.
  Vec3 tileNormal{std::cos(rowCentre) * std::cos(colCentre), std::sin(rowCentre),
                  std::cos(rowCentre) * std::sin(colCentre)};
  tileNormal.x += 0.06f * (hashFloat(row, column, 3) - 0.5f);
  tileNormal.y += 0.06f * (hashFloat(row, column, 5) - 0.5f);
  tileNormal = normalize(tileNormal);
  Vec3 normal = rotateX(rotateY(tileNormal, -spin), -tilt);

  Vec3 reflected = reflect(ray.direction, normal);
  Vec3 colour = clubLights(reflected) + Vec3{0.1f, 0.1f, 0.13f};

  // Dark grout between the tiles, narrower than a tile by far.
  float fu = around - float(column), fv = band - float(row);
  float edge = std::min({fu, 1.0f - fu, fv, 1.0f - fv});
  if (edge < 0.09f) colour = Vec3{0.13f, 0.12f, 0.17f};
  // Rim darkening keeps the ball round.
  float facing = -dot(ray.direction, normalize(hit));
  colour = colour * (0.45f + 0.55f * std::sqrt(clamp01(facing)));
  return keepVisible(colour);
}

}  // namespace

Canvas makeDiscoBall() {
  Camera camera = Camera::lookAt({0.0f, 0.4f, 4.6f}, {0.0f, 0.0f, 0.0f}, 33.0f);
  Canvas canvas = renderSupersampled(kMiddleWidth, kMiddleHeight, 3, [&](float x, float y) {
    return shadeBall(camera.ray(x, y, kMiddleWidth, kMiddleHeight));
  });
  glintBrightest(canvas, 7, 36.0f, 2.0f, 22.0f);
  finishKeyed(canvas, 0.1f);
  return canvas;
}

}  // namespace mkmedia
