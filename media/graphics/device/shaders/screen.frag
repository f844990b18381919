// The vertex colour of the primitive's first vertex, modulating the texture in the textured
// build of the pair (TEXTURED is defined 0 or 1 when the pair is built).
flat in vec4 flatColor;
in vec2 texCoord;
uniform sampler2D image;
uniform vec4 textureKey;  // key red, green, blue; rule 0 texel alpha, 1 opaque, 2 colour key
out vec4 fragColor;

void main()
{
#if TEXTURED
    vec4 texel = texture(image, texCoord);
    if (textureKey.a > 0.5) {
        if (textureKey.a > 1.5 && all(lessThan(abs(texel.rgb - textureKey.rgb), vec3(0.5 / 255.0)))) discard;
        texel.a = 1.0;
    }
    fragColor = texel * flatColor;
#else
    fragColor = flatColor;
#endif
}
