// Picture files: BMP of each depth and layout, PPM P3 and P6, PNG (written here with libpng and
// by the program), saving, and every check of a broken file.
#include "display/picture_file.h"

#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "display/pixel_format.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A 3 x 2 picture, top row first: red, green, blue / white, grey, black.
const Bytes kPicture = {0xFF, 0,    0,    0,    0xFF, 0,    0, 0, 0xFF,
                        0xFF, 0xFF, 0xFF, 0x80, 0x80, 0x80, 0, 0, 0};

void Put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

struct BmpShape {
  uint32_t bits = 24;
  bool topDown = false;
  uint32_t infoSize = 40;
  uint32_t compression = 0;
};

// kPicture as a BMP file: rows padded to four bytes, bottom-up unless topDown.
Bytes MakeBmp(const BmpShape& shape) {
  const uint32_t w = 3, h = 2, bytes = shape.bits / 8;
  uint32_t row = (w * bytes + 3) & ~3u;
  bool masks = shape.compression == 3 && shape.infoSize == 40;
  uint32_t offset = 14 + shape.infoSize + (masks ? 12 : 0);
  Bytes b(offset + row * h);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  Put32(b, 10, offset);
  Put32(b, 14, shape.infoSize);
  Put32(b, 18, w);
  Put32(b, 22, shape.topDown ? static_cast<uint32_t>(-static_cast<int32_t>(h)) : h);
  Put16(b, 26, 1);
  Put16(b, 28, shape.bits);
  Put32(b, 30, shape.compression);
  if (shape.compression == 3) {
    Put32(b, 54, 0x00FF0000);
    Put32(b, 58, 0x0000FF00);
    Put32(b, 62, 0x000000FF);
  }
  for (uint32_t y = 0; y < h; y++) {
    uint32_t stored = shape.topDown ? y : h - 1 - y;
    for (uint32_t x = 0; x < w; x++) {
      const uint8_t* p = &kPicture[(y * w + x) * 3];
      uint8_t* to = &b[offset + stored * row + x * bytes];
      to[0] = p[2];
      to[1] = p[1];
      to[2] = p[0];
    }
  }
  return b;
}

std::string Ppm6(const std::string& header) {
  return header + std::string(kPicture.begin(), kPicture.end());
}

const char* const kPpm3 =
    "P3\n# a comment\n3 2\n# and another\n255\n255 0 0 0 255 0 0 0 255\n"
    "255 255 255 128 128 128 0 0 0\n";

Bytes PngOf(const Bytes& samples, uint32_t format) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = 3;
  image.height = 2;
  image.format = format;
  png_alloc_size_t size = 0;
  png_image_write_get_memory_size(image, size, 0, samples.data(), 0, nullptr);
  Bytes file(size);
  png_image_write_to_memory(&image, file.data(), &size, 0, samples.data(), 0, nullptr);
  file.resize(size);
  return file;
}

class PictureFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vorn-picture-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf " + dir_).c_str()); }

  std::string Write(const std::string& name, const std::string& content) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  std::string Write(const std::string& name, const Bytes& content) {
    return Write(name, std::string(content.begin(), content.end()));
  }
  std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Loads the file as 24-bit R, G, B; the console text goes to *message.
  bool Load(const std::string& path, Bytes* rgb, std::string* message = nullptr) {
    rgb->assign(18, 0xEE);
    testing::internal::CaptureStdout();
    bool ok = LoadPicture(path.c_str(), rgb->data(), rgb->size(), FindPixelFormat("R888.R-G-B"), 2);
    std::string text = testing::internal::GetCapturedStdout();
    if (message != nullptr) *message = text;
    return ok;
  }

  std::string dir_;
};

TEST_F(PictureFile, EachSupportedLayoutLoadsTopRowFirstInRgbOrder) {
  const std::pair<const char*, Bytes> files[] = {
      {"a.bmp", MakeBmp({})},
      {"b.bmp", MakeBmp({24, true})},
      {"c.bmp", MakeBmp({32})},
      {"d.bmp", MakeBmp({32, true, 124})},
      {"e.bmp", MakeBmp({32, false, 40, 3})},
      {"f.ppm", {}},
      {"g.ppm", {}},
      {"h.png", PngOf(kPicture, PNG_FORMAT_RGB)},
      {"i.png",
       PngOf(
           [] {
             Bytes rgba;
             for (size_t i = 0; i < kPicture.size(); i += 3) {
               rgba.insert(rgba.end(), {kPicture[i], kPicture[i + 1], kPicture[i + 2], 0xFF});
             }
             return rgba;
           }(),
           PNG_FORMAT_RGBA)},
  };
  for (const auto& [name, content] : files) {
    SCOPED_TRACE(name);
    std::string path = std::string(name) == "f.ppm"   ? Write(name, Ppm6("P6\n3 2\n255\n"))
                       : std::string(name) == "g.ppm" ? Write(name, kPpm3)
                                                      : Write(name, content);
    uint32_t w = 0, h = 0;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(GetImageSize(path.c_str(), &w, &h));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(w, 3u);
    EXPECT_EQ(h, 2u);
    Bytes rgb;
    std::string message;
    EXPECT_TRUE(Load(path, &rgb, &message)) << message;
    EXPECT_EQ(rgb, kPicture);
  }
}

TEST_F(PictureFile, GreyPngsAndWideSamplesAreScaled) {
  Bytes rgb;
  EXPECT_TRUE(
      Load(Write("g.png", PngOf({0, 0x40, 0x80, 0xC0, 0xFF, 0x10}, PNG_FORMAT_GRAY)), &rgb));
  EXPECT_EQ(Bytes(rgb.begin(), rgb.begin() + 6), (Bytes{0, 0, 0, 0x40, 0x40, 0x40}));
  std::string wide = "P6 3 1 65535\n";
  for (int i = 0; i < 9; i++)
    wide += i % 2 ? std::string("\xFF\xFF", 2) : std::string("\x80\x00", 2);
  EXPECT_TRUE(Load(Write("w.ppm", wide), &rgb));
  EXPECT_EQ(Bytes(rgb.begin(), rgb.begin() + 4), (Bytes{0x80, 0xFF, 0x80, 0xFF}));
}

TEST_F(PictureFile, SavedPicturesReadBack) {
  std::string ppm = dir_ + "/out.ppm";
  std::string png = dir_ + "/out.png";
  int format = FindPixelFormat("R888.R-G-B");
  ASSERT_TRUE(SavePpmImage(ppm.c_str(), kPicture.data(), kPicture.size(), format, 2, 3, 2));
  EXPECT_EQ(Read(ppm), Ppm6("P6\n3 2\n255\n"));  // an 11-byte header and the samples
  ASSERT_TRUE(SavePngImage(png.c_str(), kPicture.data(), kPicture.size(), format, 2, 3, 2));
  Bytes rgb;
  EXPECT_TRUE(Load(png, &rgb));
  EXPECT_EQ(rgb, kPicture);
  // A source smaller than the picture is refused, and nothing is left behind.
  testing::internal::CaptureStdout();
  EXPECT_FALSE(SavePpmImage((dir_ + "/short.ppm").c_str(), kPicture.data(), 5, format, 2, 3, 2));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: Convert library operation failed.\n");
  EXPECT_EQ(Read(dir_ + "/short.ppm"), "");
  testing::internal::CaptureStdout();
  EXPECT_FALSE(
      SavePpmImage((dir_ + "/no/such/dir.ppm").c_str(), kPicture.data(), 18, format, 2, 3, 2));
  EXPECT_NE(testing::internal::GetCapturedStdout().find("Could not open file"), std::string::npos);
}

TEST_F(PictureFile, BrokenFilesAreRefusedWithTheirReason) {
  auto bmp = [](auto change) {
    Bytes b = MakeBmp({});
    change(b);
    return std::string(b.begin(), b.end());
  };
  struct Row {
    const char* name;
    std::string content;
    const char* message;  // what the error line contains
  };
  const Row rows[] = {
      {"sig.bmp", bmp([](Bytes& b) { b[0] = 'X'; }), "has no BM signature"},
      {"short.bmp", std::string("BM", 2) + std::string(20, '\0'), "ends inside its header"},
      {"info.bmp", bmp([](Bytes& b) { Put32(b, 14, 12); }), "information header of 12 bytes"},
      {"depth.bmp", bmp([](Bytes& b) { Put16(b, 28, 8); }), "has 8 bits per pixel"},
      {"rle.bmp", bmp([](Bytes& b) { Put32(b, 30, 1); }), "is compressed (compression 1)"},
      {"planes.bmp", bmp([](Bytes& b) { Put16(b, 26, 2); }), "has 2 planes"},
      {"width.bmp", bmp([](Bytes& b) { Put32(b, 18, 0); }), "is 0 x 2 pixels"},
      {"huge.bmp", bmp([](Bytes& b) {
         Put32(b, 18, 100000);
         Put32(b, 22, 100000);
       }),
       "more than 256 MiB"},
      {"cut.bmp", bmp([](Bytes& b) { b.resize(b.size() - 4); }), "ends inside its pixel data"},
      {"offset.bmp", bmp([](Bytes& b) { Put32(b, 10, 20); }), "inside its header"},
      {"magic.ppm", "P5\n3 2\n255\n", "has no P3 or P6 magic"},
      {"size.ppm", "P6\nthree 2\n255\n", "has no width and height"},
      {"zero.ppm", "P6\n0 2\n255\n", "is 0 x 2 pixels"},
      {"max.ppm", "P6\n3 2\n0\n", "has no maximum value of 1 to 65535"},
      {"big.ppm", "P6\n70000 70000\n255\n", "more than 256 MiB"},
      {"cut.ppm", "P6\n3 2\n255\n" + std::string(17, '\0'), "ends inside its pixel data"},
      {"p3.ppm", "P3\n1 1\n255\n1 2\n", "ends inside its pixel data"},
      {"range.ppm", "P3\n1 1\n15\n1 2 16\n", "has sample 16 above its maximum 15"},
      {"sig.png", "PNG but not really", "has no PNG signature"},
      {"cut.png",
       [] {
         Bytes p = PngOf(kPicture, PNG_FORMAT_RGB);
         return std::string(p.begin(), p.begin() + 40);
       }(),
       "is not a readable PNG file"},
      {"noext", "whatever", "has no extension"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::string path = Write(r.name, r.content);
    Bytes rgb;
    std::string message;
    EXPECT_FALSE(Load(path, &rgb, &message));
    EXPECT_NE(message.find(r.message), std::string::npos) << message;
    EXPECT_EQ(message.rfind("ERROR: ", 0), 0u) << message;
    if (std::string(r.name) != "noext") {
      EXPECT_NE(message.find(r.name), std::string::npos) << "names the file: " << message;
    }
    EXPECT_EQ(rgb, Bytes(18, 0xEE)) << "nothing written";
  }
  // A file that is not there: false, and the caller words the message.
  Bytes rgb;
  std::string message;
  EXPECT_FALSE(Load(dir_ + "/none.bmp", &rgb, &message));
  EXPECT_EQ(message, "");
  uint32_t w = 7, h = 7;
  EXPECT_TRUE(GetImageSize((dir_ + "/raw.bin").c_str(), &w, &h));  // not a picture: unchanged
  EXPECT_EQ(w, 7u);
}

TEST(FileKinds, FromTheLastExtension) {
  EXPECT_EQ(FileKindOf("dir.v2/frame0001.BMP"), FileKind::kBmp);
  EXPECT_EQ(FileKindOf("a.Png"), FileKind::kPng);
  EXPECT_EQ(FileKindOf("clip.yuv"), FileKind::kYuv);
  EXPECT_EQ(FileKindOf("data.bin"), FileKind::kOther);
  EXPECT_EQ(FileKindOf("dir.v2/data"), FileKind::kNoExtension);
}

}  // namespace
