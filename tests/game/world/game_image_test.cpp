#include "game/world/game_image.h"

#include "engine/graphics/draw_surface.h"
#include "engine/graphics/image_filter.h"
#include "engine/graphics/sprite.h"
#include "engine/media/movie_driver.h"
#include "tests/support/test_support.h"
#include "tools/smk/fade_movie.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Pictures and movie sprites alike come out with magenta as their key.
TEST(GameImage, PicturesAndMovieFramesAreKeyedWithMagenta)
{
    TempDir dir;
    // A missing file is reported, not asked for as a missing disc.
    ErrorCapture capture(0);
    RegisterStandardImageFilters();
    RegisterMovieDrivers();
    {
        CxDrawSurface picture(8, 8, 24);
        ASSERT_EQ(picture.Save(dir.File("pic.tga").c_str()), CX_ERR_NONE);
    }
    std::vector<uint8_t> movie;
    ASSERT_TRUE(EncodeFadeMovie(false, &movie));
    dir.Write("fade.smk", std::string(movie.begin(), movie.end()));

    CxDrawSurface surface;
    ASSERT_EQ(LoadGameImage(surface, dir.File("pic.tga").c_str()), CX_ERR_NONE);
    EXPECT_EQ(surface.GetTransparentColor(), surface.MakeColor(255, 0, 255));
    EXPECT_EQ(LoadGameImage(dir.File("missing.tga").c_str()), nullptr);

    for (const char* name : {"pic.tga", "fade.smk"})
    {
        CxSprite sprite;
        ASSERT_EQ(LoadGameSprite(sprite, dir.File(name).c_str()), CX_ERR_NONE) << name;
        ASSERT_NE(sprite.GetImage(), nullptr);
        EXPECT_EQ(sprite.GetImage()->GetTransparentColor(), sprite.GetImage()->MakeColor(255, 0, 255))
            << name;
    }
    UnregisterMovieDrivers();
    UnregisterImageFilter("*");
}
