// Pre-transformed vertices: x and y are pixels of the draw target, with a pixel's centre at
// whole numbers (GL puts it at .5, hence the shift). The colour arrives as the bytes of a
// 0xAARRGGBB value: blue, green, red, alpha. The blended build also carries the blend
// image's coordinates.
layout(location = 0) in vec4 position;
layout(location = 1) in vec4 color;
layout(location = 2) in vec2 uv;
uniform vec4 viewport;  // x, y, width, height in target pixels
flat out vec4 flatColor;
out vec2 texCoord;
#if BLENDED
layout(location = 3) in vec2 uv2;
out vec2 blendCoord;
#endif

void main()
{
    vec2 p = (position.xy + 0.5 - viewport.xy) / viewport.zw * 2.0 - 1.0;
    gl_Position = vec4(p, position.z * 2.0 - 1.0, 1.0);
    flatColor = color.zyxw;
    texCoord = uv;
#if BLENDED
    blendCoord = uv2;
#endif
}
