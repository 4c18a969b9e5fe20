// The corona effect's two programs as shader assembly. Constants filled per draw on the processor
// (see corona_constants.h): vertex c0.x sine of turn, c1.x cosine, c5.x 1/aspect, c6.xy and c7.xy
// the centre in clip space (x, y and z, w), c8.x coronaSize, c9.x pull; pixel c0 lightColor,
// c1.x coronaExp squared, s0 the sprite texture.
#pragma once

namespace vizo::renderer {

inline constexpr char CoronaVertexProgram[] = R"(
vs_1_1
dcl_position v0
dcl_texcoord v1
def c10, 2.5, 0, 0, 0
mul r0.xy, v0, c8.x          // corner scaled by coronaSize
mul r0.xy, r0, c10.x         // ... and by 2.5: (a, b)
mul r1.xy, r0.yx, c0.x       // (b sin, a sin)
mad r1.x, r0.x, c1.x, -r1.x  // dx = a cos - b sin
mad r1.y, r0.y, c1.x, r1.y   // dy = b cos + a sin
mul r1.x, r1.x, c9.x         // horizontal extent times pull
mul r1.x, r1.x, c5.x         // ... over aspect
add oPos.xy, r1, c6          // offset from the centre before the divide by w
mov oPos.zw, c7.xyxy         // every corner shares the centre's depth
mov oT0.xy, v1
)";

inline constexpr char CoronaPixelProgram[] = R"(
ps_2_0
dcl t0.xy
dcl_2d s0
texld r0, t0, s0
mul r0, r0, c1.x             // brightness
mul r0, r0, c0               // light colour
mov oC0, r0
)";

}  // namespace vizo::renderer
