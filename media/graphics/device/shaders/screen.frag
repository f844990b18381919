// The vertex colour of the primitive's first vertex, modulating the texture in the textured
// builds of the pair (TEXTURED, BLENDED and PLANES are defined 0 or 1 when the pair is built).
// The PLANES build converts a picture in three planes (movies) instead.
flat in vec4 flatColor;
in vec2 texCoord;
uniform sampler2D image;
uniform vec4 textureKey;  // key red, green, blue; rule 0 texel alpha, 1 opaque, 2 colour key
#if BLENDED
in vec2 blendCoord;
uniform sampler2D blendImage;  // one level per texel
uniform float rule[256];       // the weight of each level, 0 to 1
uniform int weighColour;       // 1: the weight moves the colour from white (multiplying blends)
#endif
#if PLANES
uniform sampler2D planeCb;  // `image` holds the brightness, these the colour differences
uniform sampler2D planeCr;
#endif
uniform int colourRule;  // 0 as it is, 1 inverted, 2 moved from white by alpha (multiplying)
out vec4 fragColor;

void main()
{
#if PLANES
    // Studio range, as the software path converts it.
    float c = 1.164383 * (texture(image, texCoord).r * 255.0 - 16.0);
    float d = texture(planeCb, texCoord).r * 255.0 - 128.0;
    float e = texture(planeCr, texCoord).r * 255.0 - 128.0;
    vec3 rgb = vec3(c + 1.596027 * e, c - 0.391762 * d - 0.812968 * e, c + 2.017232 * d);
    fragColor = vec4(clamp(floor(rgb + 0.5) / 255.0, 0.0, 1.0), 1.0);
#elif TEXTURED
    vec4 texel = texture(image, texCoord);
    if (textureKey.a > 0.5) {
        if (textureKey.a > 1.5 && all(lessThan(abs(texel.rgb - textureKey.rgb), vec3(0.5 / 255.0)))) discard;
        texel.a = 1.0;
    }
    fragColor = texel * flatColor;
#if BLENDED
    float weight = rule[int(texture(blendImage, blendCoord).r * 255.0 + 0.5)];
    if (weighColour != 0)
        fragColor.rgb = mix(vec3(1.0), fragColor.rgb, weight);
    else
        fragColor.a *= weight;
#endif
#else
    fragColor = flatColor;
#endif
#if !PLANES
    if (colourRule == 1)
        fragColor.rgb = 1.0 - fragColor.rgb;
    else if (colourRule == 2)
        fragColor.rgb = mix(vec3(1.0), fragColor.rgb, fragColor.a);
#endif
}
