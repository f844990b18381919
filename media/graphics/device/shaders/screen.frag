// The vertex colour of the primitive's first vertex, modulating the texture when there is one.
flat in vec4 flatColor;
in vec2 texCoord;
uniform sampler2D image;
uniform int textured;
out vec4 fragColor;

void main()
{
    fragColor = textured != 0 ? texture(image, texCoord) * flatColor : flatColor;
}
