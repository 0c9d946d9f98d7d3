#pragma once

#include "support/ComposerFixture.h"
#include "support/TempConfigHome.h"

namespace quillory::test {

// The main window opened over a temporary executable folder with eight empty block files and a
// temporary configuration folder, so it starts without stored settings.
struct TSettingsFixture {
    TSettingsFixture() {
        composer.WriteEmptyBlocks();
        composer.Open();
    }

    TTempConfigHome home;
    TComposerFixture composer;
};

}  // namespace quillory::test
