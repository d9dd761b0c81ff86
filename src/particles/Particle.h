#pragma once

namespace Quib {

// One live particle of an own-kind effect; records come from the
// ParticlePool and are linked in spawn order.
struct Particle {
    float x, y;
    float vx, vy;
    float gravity;
    float radial;
    float tangential;
    float rotation, rotationDelta; // radians, per second
    float scale, scaleDelta;
    float red, green, blue, alpha;
    float redDelta, greenDelta, blueDelta, alphaDelta;
    float age, life;
    Particle* prev;
    Particle* next;
};

} // namespace Quib
