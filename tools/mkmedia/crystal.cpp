#include <cmath>
#include <vector>

#include "keyed.h"
#include "middle_pictures.h"
#include "raytrace.h"
#include "sparkle.h"

namespace mkmedia {

namespace {

// A round brilliant as the intersection of half-spaces dot(n, x) <= d.
struct Plane {
  Vec3 normal;
  float offset;
};

Plane through(Vec3 normal, Vec3 point) {
  Vec3 n = normalize(normal);
  return {n, dot(n, point)};
}

Vec3 facetNormal(float tiltDegrees, float azimuth, bool down) {
  float a = tiltDegrees * kPi / 180.0f;
  return {std::sin(a) * std::cos(azimuth), (down ? -1.0f : 1.0f) * std::cos(a), std::sin(a) * std::sin(azimuth)};
}

std::vector<Plane> brilliantCut() {
  std::vector<Plane> planes;
  const float girdle = 0.025f, table = 0.42f;
  planes.push_back({{0, 1, 0}, table});
  for (int k = 0; k < 8; ++k) {
    float az = float(k) * kTau / 8.0f, mid = az + kTau / 16.0f;
    Vec3 rim{std::cos(az), girdle, std::sin(az)};
    planes.push_back(through(facetNormal(34.0f, az, false), rim));  // crown mains
    planes.push_back(through(facetNormal(21.0f, mid, false),
                             Vec3{0.6f * std::cos(mid), table - 0.01f, 0.6f * std::sin(mid)}));          // stars
    planes.push_back(through(facetNormal(41.0f, az, true), Vec3{std::cos(az), -girdle, std::sin(az)}));  // pavilion
  }
  for (int k = 0; k < 16; ++k) {
    float az = (float(k) + 0.5f) * kTau / 16.0f;
    planes.push_back({{std::cos(az), 0, std::sin(az)}, 1.0f});                                           // girdle
    planes.push_back(through(facetNormal(42.5f, az, true), Vec3{std::cos(az), -girdle, std::sin(az)}));  // halves
  }
  return planes;
}

const std::vector<Plane>& gem() {
  static const std::vector<Plane> planes = brilliantCut();
  return planes;
}

// Seen tipped toward the viewer and turned a little.
Vec3 toGem(Vec3 v) { return rotateX(rotateY(v, 0.2f), -0.55f); }
Vec3 fromGem(Vec3 v) { return rotateY(rotateX(v, 0.55f), -0.2f); }

// Where a ray from outside enters the gem: distance and the facet hit.
bool enter(Vec3 o, Vec3 d, float& t, Vec3& normal) {
  float tIn = -1e9f, tOut = 1e9f;
  for (const Plane& p : gem()) {
    float denom = dot(p.normal, d), dist = p.offset - dot(p.normal, o);
    if (std::fabs(denom) < 1e-7f) {
      if (dist < 0) return false;
      continue;
    }
    float s = dist / denom;
    if (denom < 0) {
      if (s > tIn) {
        tIn = s;
        normal = p.normal;
      }
    } else {
      tOut = std::min(tOut, s);
    }
  }
  t = tIn;
  return tIn < tOut && tIn > 0;
}

// From inside, the facet the ray leaves through.
float leave(Vec3 o, Vec3 d, Vec3& normal) {
  float best = 1e9f;
  for (const Plane& p : gem()) {
    float denom = dot(p.normal, d);
    if (denom <= 1e-7f) continue;
    float s = (p.offset - dot(p.normal, o)) / denom;
    if (s < best) {
      best = s;
      normal = p.normal;
    }
  }
  return best;
}

bool refractInto(Vec3 d, Vec3 n, float eta, Vec3& out) {
  float cosi = -dot(d, n);
  float k = 1.0f - eta * eta * (1.0f - cosi * cosi);
  if (k < 0) return false;
  out = normalize(d * eta + n * (eta * cosi - std::sqrt(k)));
  return true;
}

// Light for the gem, as in a jeweller's box: bright panels overhead broken by
// dark gaps (contrast is what makes facets read), and hard coloured sparks.
Vec3 gemLight(Vec3 d) {
  float up = clamp01(d.y * 0.5f + 0.5f);
  float panels = smoothstep(0.2f, 0.5f, std::fabs(std::sin(std::atan2(d.z, d.x) * 3.0f)));
  Vec3 c = Vec3{0.85f, 0.9f, 1.0f} * (up * up * (0.25f + 0.95f * panels)) + studioEnvironment(d) * 0.8f;
  const Vec3 sparks[] = {
      {0.3f, 0.9f, 0.4f}, {-0.7f, 0.5f, 0.6f}, {0.8f, 0.4f, -0.3f}, {-0.2f, 0.6f, -0.8f}, {0.6f, 0.7f, 0.7f}};
  const Vec3 tints[] = {{2, 2, 2}, {0.5f, 1.6f, 2}, {2, 0.6f, 1.5f}, {2, 1.6f, 0.4f}, {0.6f, 2, 0.8f}};
  for (int i = 0; i < 5; ++i) c += tints[i] * std::pow(std::max(0.0f, dot(d, normalize(sparks[i]))), 120.0f);
  return c;
}

// One colour channel traced through the stone with its own index of
// refraction; the small spread between channels splits white into fire.
float traceChannel(Vec3 o, Vec3 d, Vec3 entryNormal, float index, int channel) {
  auto pick = [channel](Vec3 v) { return channel == 0 ? v.x : channel == 1 ? v.y : v.z; };
  Vec3 inside;
  if (!refractInto(d, entryNormal, 1.0f / index, inside)) return 0;
  float carried = 1.0f - schlick(-dot(d, entryNormal), 0.12f);
  float light = 0;
  Vec3 p = o;
  for (int bounce = 0; bounce < 6; ++bounce) {
    Vec3 n;
    float s = leave(p + inside * 1e-4f, inside, n);
    p = p + inside * (s + 1e-4f);
    Vec3 out;
    // Leaving: the exit facet faces out, so refract against its inverse.
    if (refractInto(inside, -n, index, out)) {
      float pass = 1.0f - schlick(dot(out, n), 0.12f);
      light += carried * pass * pick(gemLight(fromGem(out)));
      carried *= 1.0f - pass;
    }
    inside = reflect(inside, n);
    carried *= 0.92f;  // a faint aqua body colour builds up inside
  }
  return light;
}

Vec3 shadeGem(const Ray& ray) {
  Vec3 o = toGem(ray.origin), d = toGem(ray.direction);
  float t;
  Vec3 n;
  if (!enter(o, d, t, n)) return {};
  Vec3 p = o + d * t;
  Vec3 reflected = gemLight(fromGem(reflect(d, n))) * schlick(-dot(d, n), 0.12f);
  Vec3 refracted{traceChannel(p, d, n, 2.30f, 0), traceChannel(p, d, n, 2.38f, 1), traceChannel(p, d, n, 2.46f, 2)};
  Vec3 body{0.75f, 0.95f, 1.0f};
  return keepVisible((reflected + refracted * body) * 1.25f);
}

}  // namespace

Canvas makeCrystal() {
  Camera camera = Camera::lookAt({0.0f, 0.0f, 6.0f}, {0.0f, -0.08f, 0.0f}, 20.5f);
  Canvas canvas = renderSupersampled(kMiddleWidth, kMiddleHeight, 3, [&](float x, float y) {
    return shadeGem(camera.ray(x, y, kMiddleWidth, kMiddleHeight));
  });
  glintBrightest(canvas, 4, 50.0f, 2.4f, 20.0f);
  finishKeyed(canvas, 0.1f);
  return canvas;
}

}  // namespace mkmedia
