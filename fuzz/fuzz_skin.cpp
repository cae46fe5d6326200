// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzFile.h"
#include "skin/Skin.h"

#include <QObject>

// A skin file as the engine loads it, then every form worn by a window and
// the mouse moved, pressed and released at the corners and centre of each
// element, as the painter feeds it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const FuzzFile file(".skin");
    static const QObject window;
    const QString& path = file.write(data, size);
    SkinDocument document;
    try {
        document = LoadSkinDocument(path);
    } catch (const SkinFileError&) {
        return 0;
    }
    Skin skin;
    if (!skin.LoadSkinFile(path))
        std::abort(); // the same file loaded a moment ago
    skin.SkinWindow(&window);
    for (const SkinFormDesc& form : document.forms) {
        skin.SkinWindowAs(&window, form.name);
        SkinnedWindow* dressed = skin.GetSkinnedWindow(&window);
        if (!dressed)
            std::abort();
        for (const SkinElementDesc& e : form.elements) {
            const SkinRect b = e.bounds;
            const int points[][2] = {{b.left, b.top},
                                     {b.right - 1, b.bottom - 1},
                                     {b.left + b.width() / 2, b.top + b.height() / 2}};
            for (const auto& p : points) {
                dressed->elementAt(p[0], p[1]);
                skin.mousePress(&window, p[0], p[1], 0);
                skin.mouseMove(&window, p[0] + 1, p[1]);
                skin.mouseRelease(&window, p[0], p[1], 0);
            }
        }
        skin.mouseLeave(&window);
    }
    return 0;
}
