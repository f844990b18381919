// The vertex colour of the primitive's first vertex, modulating the texture in the textured
// builds of the pair (TEXTURED and BLENDED are defined 0 or 1 when the pair is built).
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
uniform int colourRule;  // 0 as it is, 1 inverted, 2 moved from white by alpha (multiplying)
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
    if (colourRule == 1)
        fragColor.rgb = 1.0 - fragColor.rgb;
    else if (colourRule == 2)
        fragColor.rgb = mix(vec3(1.0), fragColor.rgb, fragColor.a);
}
