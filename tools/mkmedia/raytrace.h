// A pinhole camera and a lit studio to reflect, for the ray-traced pictures.
#pragma once

#include "vec.h"

namespace mkmedia {

struct Ray {
  Vec3 origin;
  Vec3 direction;  // unit length
};

struct Camera {
  Vec3 eye, forward, right, up;
  float focal = 1;  // image-plane distance for a half height of 1

  // Looks from `eye` at `target`; fovY is the full vertical angle in degrees.
  static Camera lookAt(Vec3 eye, Vec3 target, float fovY);
  // The ray through image point (x, y) in pixel units of a width x height image.
  Ray ray(float x, float y, int width, int height) const;
};

// A dark studio with a few coloured soft boxes: what shiny things reflect.
Vec3 studioEnvironment(Vec3 direction);

// Fresnel reflectance by Schlick's approximation.
float schlick(float cosine, float f0);

}  // namespace mkmedia
