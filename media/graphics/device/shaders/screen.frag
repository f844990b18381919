// The vertex colour of the primitive's first vertex, modulating the texture in the textured
// build of the pair (TEXTURED is defined 0 or 1 when the pair is built).
flat in vec4 flatColor;
in vec2 texCoord;
uniform sampler2D image;
out vec4 fragColor;

void main()
{
#if TEXTURED
    fragColor = texture(image, texCoord) * flatColor;
#else
    fragColor = flatColor;
#endif
}
