// The JPEG image: when frames are compressed and at which quality, what libjpeg and the
// outside decoders see in the files, and the failures.
#include "Bitmap.h"
#include "Canvas.h"
#include "ImagingTestSupport.h"
#include "JPEGImage.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

using namespace imaging_test;

namespace {

// A 32-bit frame in four colour blocks (16-aligned, so chroma blocks stay clean), with
// an alpha byte that must not leak into the colours.
TBitmap makeFrame(int width = 64, int height = 48)
{
    TBitmap frame(width, height, pf32bit);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = frame.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            const TColor c = !bottom ? (right ? RGB(0, 200, 0) : RGB(220, 20, 20)) : (right ? RGB(255, 255, 255) : RGB(20, 20, 220));
            row[4 * x] = GetBValue(c);
            row[4 * x + 1] = GetGValue(c);
            row[4 * x + 2] = GetRValue(c);
            row[4 * x + 3] = uint8_t(x * 4);
        }
    }
    return frame;
}

std::vector<uint8_t> save(TJPEGImage& image)
{
    TMemoryStream stream;
    image.SaveToStream(stream);
    return stream.Bytes();
}

// What libjpeg reads from the headers of a file.
struct JpegFacts {
    int width = 0, height = 0, components = 0;
    bool progressive = false, jfif = false, ycc = false, arithmetic = false;
    unsigned restartInterval = 0;
    int samp[3][2] = {};
    unsigned dcQuant = 0;  // first luminance quantiser
};

struct TestError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

JpegFacts readFacts(const std::vector<uint8_t>& data)
{
    jpeg_decompress_struct cinfo{};
    TestError err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<TestError*>(c->err)->jump, 1); };
    JpegFacts f;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        ADD_FAILURE() << "libjpeg refused the file";
        return f;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data.data(), data.size());
    jpeg_read_header(&cinfo, TRUE);
    f.width = int(cinfo.image_width);
    f.height = int(cinfo.image_height);
    f.components = cinfo.num_components;
    f.progressive = cinfo.progressive_mode;
    f.jfif = cinfo.saw_JFIF_marker;
    f.ycc = cinfo.jpeg_color_space == JCS_YCbCr;
    f.arithmetic = cinfo.arith_code;
    f.restartInterval = cinfo.restart_interval;
    for (int i = 0; i < cinfo.num_components && i < 3; ++i) {
        f.samp[i][0] = cinfo.comp_info[i].h_samp_factor;
        f.samp[i][1] = cinfo.comp_info[i].v_samp_factor;
    }
    f.dcQuant = cinfo.quant_tbl_ptrs[0]->quantval[0];
    jpeg_destroy_decompress(&cinfo);
    return f;
}

// The DC quantiser jpeg_set_quality gives the standard luminance table (16) at a quality.
unsigned dcQuantAt(int quality)
{
    const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
    const unsigned v = unsigned((16 * scale + 50) / 100);
    return v < 1 ? 1 : v;
}

bool near(int a, int b) { return std::abs(a - b) <= 10; }

} // namespace

TEST(Jpeg, DefaultsAndAssignWithoutCompression)
{
    TJPEGImage image;
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.Quality(), 90);
    EXPECT_FALSE(image.GrayscaleOutput());
    EXPECT_FALSE(image.ProgressiveOutput());
    EXPECT_EQ(image.PixelFormat(), jf24Bit);
    EXPECT_EQ(image.Scale(), jsFullSize);
    EXPECT_TRUE(image.Smoothing());
    EXPECT_EQ(image.Performance(), jpBestQuality);
    EXPECT_FALSE(image.ProgressiveDisplay());

    TBitmap frame = makeFrame();
    image.SetPixelFormat(jf24Bit);
    image.Assign(&frame);
    EXPECT_TRUE(image.HasBitmap());
    EXPECT_TRUE(image.Data().empty());  // compression waits
    EXPECT_EQ(image.Width(), 64);
    EXPECT_EQ(image.Height(), 48);
    EXPECT_FALSE(image.Empty());
}

TEST(Jpeg, QualitySetBeforeCompressionIsTheOneInTheFile)
{
    TBitmap frame = makeFrame();
    for (int quality : {10, 95, 100}) {
        TJPEGImage image;
        image.Assign(&frame);
        image.SetQuality(uint8_t(quality));
        image.Compress();
        ASSERT_FALSE(image.Data().empty());
        EXPECT_EQ(readFacts(image.Data()).dcQuant, dcQuantAt(quality)) << quality;
    }
}

TEST(Jpeg, SavingLaterDoesNotEncodeAgain)
{
    TBitmap frame = makeFrame();
    TJPEGImage image;
    image.Assign(&frame);
    image.SetQuality(10);
    image.Compress();
    const std::vector<uint8_t> compressed = image.Data();
    image.SetQuality(95);
    EXPECT_EQ(save(image), compressed);
    EXPECT_EQ(readFacts(save(image)).dcQuant, dcQuantAt(10));
}

TEST(Jpeg, AnUncompressedImageSavesAtTheQualityInForce)
{
    TBitmap frame = makeFrame();
    TJPEGImage image;
    image.Assign(&frame);
    EXPECT_EQ(readFacts(save(image)).dcQuant, dcQuantAt(90));
    TJPEGImage other;
    other.Assign(&frame);
    other.SetQuality(40);
    EXPECT_EQ(readFacts(save(other)).dcQuant, dcQuantAt(40));
}

TEST(Jpeg, FilesAreBaselineJfifWithTwoByTwoChroma)
{
    TBitmap frame = makeFrame(70, 33);  // sizes that are not block multiples
    TJPEGImage image;
    image.Assign(&frame);
    const std::vector<uint8_t> data = save(image);
    const JpegFacts f = readFacts(data);
    EXPECT_EQ(f.width, 70);
    EXPECT_EQ(f.height, 33);
    EXPECT_EQ(f.components, 3);
    EXPECT_FALSE(f.progressive);
    EXPECT_FALSE(f.arithmetic);
    EXPECT_TRUE(f.jfif);
    EXPECT_TRUE(f.ycc);
    EXPECT_EQ(f.restartInterval, 0u);
    EXPECT_EQ(f.samp[0][0], 2);
    EXPECT_EQ(f.samp[0][1], 2);
    EXPECT_EQ(f.samp[1][0], 1);
    EXPECT_EQ(f.samp[2][1], 1);
    // Baseline: a SOF0 frame marker, and no other.
    size_t sof0 = 0, others = 0;
    for (size_t i = 0; i + 1 < data.size(); ++i)
        if (data[i] == 0xFF && data[i + 1] >= 0xC0 && data[i + 1] <= 0xCF && data[i + 1] != 0xC4 && data[i + 1] != 0xC8 &&
            data[i + 1] != 0xCC)
            (data[i + 1] == 0xC0 ? sof0 : others)++;
    EXPECT_EQ(sof0, 1u);
    EXPECT_EQ(others, 0u);
}

TEST(Jpeg, PillowAndDjpegSeeTheFramesColours)
{
    ScratchDir dir("jpeg-colours");
    const std::string path = dir.File("1.jpg");
    TBitmap frame = makeFrame();
    TJPEGImage image;
    image.Assign(&frame);
    image.SetQuality(95);
    image.Compress();
    image.SaveToFile(path);

    std::string out;
    const std::string script =
        "import sys; from PIL import Image, JpegImagePlugin; im = Image.open(sys.argv[1]); "
        "print(im.format, im.mode, im.size[0], im.size[1], JpegImagePlugin.get_sampling(im), 'progressive' in im.info); "
        "[print(*im.getpixel(p)) for p in ((8, 8), (56, 8), (8, 40), (56, 40))]";
    ASSERT_EQ(imaging_test::Run(Python() + " -c \"" + script + "\" '" + path + "'", &out), 0) << out;
    int r[4], g[4], b[4];
    char format[16], mode[16], progressive[8];
    int w, h, sampling;
    ASSERT_EQ(sscanf(out.c_str(), "%15s %15s %d %d %d %7s %d %d %d %d %d %d %d %d %d %d %d %d", format, mode, &w, &h,
                     &sampling, progressive, &r[0], &g[0], &b[0], &r[1], &g[1], &b[1], &r[2], &g[2], &b[2], &r[3], &g[3],
                     &b[3]),
              18)
        << out;
    EXPECT_STREQ(format, "JPEG");
    EXPECT_STREQ(mode, "RGB");
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 48);
    EXPECT_EQ(sampling, 2);  // 4:2:0
    EXPECT_STREQ(progressive, "False");
    const int want[4][3] = {{220, 20, 20}, {0, 200, 0}, {20, 20, 220}, {255, 255, 255}};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(near(r[i], want[i][0]) && near(g[i], want[i][1]) && near(b[i], want[i][2]))
            << "block " << i << ": " << r[i] << " " << g[i] << " " << b[i];

    // djpeg writes a binary PPM: header, then red, green, blue per pixel.
    ASSERT_EQ(imaging_test::Run("djpeg -pnm -outfile '" + dir.File("1.ppm") + "' '" + path + "'", &out), 0) << out;
    const std::vector<uint8_t> ppm = ReadFileBytes(dir.File("1.ppm"));
    const std::string head = "P6\n64 48\n255\n";
    ASSERT_GT(ppm.size(), head.size());
    ASSERT_EQ(std::string(ppm.begin(), ppm.begin() + long(head.size())), head);
    const uint8_t* px = ppm.data() + head.size() + (8 * 64 + 8) * 3;
    EXPECT_TRUE(near(px[0], 220) && near(px[1], 20) && near(px[2], 20)) << int(px[0]) << " " << int(px[1]) << " " << int(px[2]);
}

TEST(Jpeg, DrawDecodesWhenNoBitmapIsHeld)
{
    TBitmap frame = makeFrame();
    TJPEGImage source;
    source.Assign(&frame);
    TMemoryStream file;
    source.SaveToStream(file);
    file.SetPosition(0);

    TJPEGImage loaded;
    loaded.LoadFromStream(file);
    EXPECT_FALSE(loaded.HasBitmap());
    EXPECT_EQ(loaded.Width(), 64);
    EXPECT_EQ(loaded.Height(), 48);
    TBitmap target(32, 24, pf24bit);
    loaded.Draw(target.Canvas(), Rect(0, 0, 32, 24));  // half size
    EXPECT_TRUE(loaded.HasBitmap());
    const TColor c = target.GetPixel(24, 4);
    EXPECT_TRUE(near(GetRValue(c), 0) && near(GetGValue(c), 200) && near(GetBValue(c), 0)) << std::hex << c;

    // Another decoding format: the bitmap is made again from the data.
    loaded.SetPixelFormat(jf8Bit);
    EXPECT_FALSE(loaded.HasBitmap());
    ASSERT_NE(loaded.Bitmap(), nullptr);
    EXPECT_EQ(loaded.Bitmap()->PixelFormat(), pf8bit);
}

TEST(Jpeg, ChangingTheDecodingFormatKeepsAnUncompressedFrame)
{
    TBitmap frame = makeFrame();
    TJPEGImage image;
    image.Assign(&frame);
    image.SetPixelFormat(jf8Bit);
    EXPECT_TRUE(image.HasBitmap());
    EXPECT_FALSE(save(image).empty());
}

TEST(Jpeg, CopiesShareTheData)
{
    TBitmap frame = makeFrame();
    TJPEGImage a;
    a.Assign(&frame);
    a.Compress();
    TJPEGImage b;
    b.Assign(&a);
    EXPECT_EQ(&b.Data(), &a.Data());
    EXPECT_TRUE(b.HasBitmap());
    const std::vector<uint8_t> before = a.Data();
    a.SetQuality(20);
    a.Compress();
    EXPECT_NE(&b.Data(), &a.Data());
    EXPECT_EQ(b.Data(), before);
}

TEST(Jpeg, SizeCannotBeChanged)
{
    TJPEGImage image;
    try {
        image.SetWidth(5);
        FAIL();
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_STREQ(e.what(), "無法變更該 JPEG 的大小");
    }
    EXPECT_THROW(image.SetHeight(5), EInvalidGraphicOperation);
}

TEST(Jpeg, AFrameWithoutPixelsSavesAnEmptyFile)
{
    ScratchDir dir("jpeg-empty");
    for (TBitmap frame : {TBitmap(0, 10, pf32bit), TBitmap(10, 0, pf32bit), TBitmap()}) {
        TJPEGImage image;
        image.Assign(&frame);
        image.SaveToFile(dir.File("1.jpg"));
        EXPECT_TRUE(ReadFileBytes(dir.File("1.jpg")).empty());
    }
    TJPEGImage nothing;
    nothing.Compress();
    EXPECT_TRUE(nothing.Data().empty());
}

TEST(Jpeg, LibraryErrorsBecomeEJPEGWithTheirCode)
{
    TBitmap tooWide(65501, 1, pf24bit);
    TJPEGImage image;
    image.Assign(&tooWide);
    try {
        image.Compress();
        FAIL() << "compressed";
    } catch (const EJPEG& e) {
        EXPECT_EQ(std::string(e.what()), "JPEG 錯誤 #" + std::to_string(JERR_IMAGE_TOO_BIG));
    }
    EXPECT_TRUE(image.Data().empty());

    TMemoryStream garbage(std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0xFF, 0xD9});
    TJPEGImage loaded;
    EXPECT_THROW(loaded.LoadFromStream(garbage), EJPEG);
    TMemoryStream notJpeg(std::vector<uint8_t>(100, 'x'));
    try {
        loaded.LoadFromStream(notJpeg);
        FAIL();
    } catch (const EJPEG& e) {
        EXPECT_EQ(std::string(e.what()), "JPEG 錯誤 #" + std::to_string(JERR_NO_SOI));
    }
}

TEST(Jpeg, DamagedDataIsDecodedOrRefusedNeverFatal)
{
    TBitmap frame = makeFrame();
    TJPEGImage source;
    source.Assign(&frame);
    const std::vector<uint8_t> data = save(source);
    size_t scan = 0;
    for (size_t i = 0; i + 1 < data.size() && !scan; ++i)
        if (data[i] == 0xFF && data[i + 1] == 0xDA)
            scan = i;
    ASSERT_GT(scan, 0u);

    // Cut inside the scan: libjpeg fills in the rest (with a warning we keep quiet).
    std::vector<uint8_t> cut(data.begin(), data.begin() + long(scan + (data.size() - scan) / 2));
    TMemoryStream cutStream(cut);
    TJPEGImage partial;
    partial.LoadFromStream(cutStream);
    ASSERT_NE(partial.Bitmap(), nullptr);
    EXPECT_EQ(partial.Bitmap()->Width(), 64);

    // Cut inside the tables: refused, at loading already.
    std::vector<uint8_t> headerOnly(data.begin(), data.begin() + long(scan / 2));
    TMemoryStream headerStream(headerOnly);
    TJPEGImage refused;
    EXPECT_THROW(refused.LoadFromStream(headerStream), EJPEG);

    // A frame header claiming more than the limits allow is refused before decoding.
    TJPEGImage limited;
    limited.DecodeLimits.MaxPixels = 1000;
    TMemoryStream whole(data);
    limited.LoadFromStream(whole);
    EXPECT_THROW(limited.Bitmap(), EJPEG);
}

TEST(Jpeg, ProgressHandlersCanAbortOrFailTheCompression)
{
    TBitmap frame = makeFrame();
    TJPEGImage image;
    image.Assign(&frame);
    std::vector<std::pair<int, int>> seen;
    image.OnProgress = [&](TGraphic*, TProgressStage stage, uint8_t percent, bool, const TRect&, const std::string&) {
        seen.push_back({int(stage), int(percent)});
    };
    image.Compress();
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{psStarting, 0}, {psEnding, 100}}));

    image.OnProgress = [](TGraphic*, TProgressStage stage, uint8_t, bool, const TRect&, const std::string&) {
        if (stage == psStarting)
            throw EAbort("stop");
    };
    EXPECT_NO_THROW(image.Compress());
    EXPECT_TRUE(image.Data().empty());

    // Any other failure propagates, and a save through it leaves the earlier file alone.
    ScratchDir dir("jpeg-failed-save");
    WriteFileBytes(dir.File("1.jpg"), {'o', 'l', 'd'});
    image.OnProgress = [](TGraphic*, TProgressStage stage, uint8_t, bool, const TRect&, const std::string&) {
        if (stage == psEnding)
            throw EInvalidOperation("disk on fire");
    };
    EXPECT_THROW(image.SaveToFile(dir.File("1.jpg")), EInvalidOperation);
    EXPECT_EQ(ReadFileBytes(dir.File("1.jpg")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"1.jpg"});
}
