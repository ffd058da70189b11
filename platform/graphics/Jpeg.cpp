#include "platform/graphics/Jpeg.h"

#include <QImage>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/graphics/GraphicsConst.h"
#include "platform/graphics/qt/GraphicsQt.h"

extern "C" {
#include <jpeglib.h>
#include <jerror.h>
}

namespace {

constexpr int64_t kPixelLimit = int64_t(1) << 28;

// libjpeg reports errors through error_exit, which must not return: it jumps
// back to the call that started the work, which turns it into an exception
// once no libjpeg frame is left on the stack.
struct ErrorManager {
    jpeg_error_mgr Base;
    jmp_buf Jump;
    int Code;
};

void ErrorExit(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    err->Code = err->Base.msg_code;
    longjmp(err->Jump, 1);
}

void SilentMessage(j_common_ptr, int) {}

// Source and destination over memory, in the 6b interface.
struct MemorySource {
    jpeg_source_mgr Base;
    const JOCTET* Data;
    size_t Size;
};

const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}
boolean FillInput(j_decompress_ptr info) {
    // A truncated file ends as if its end marker were there; libjpeg warns.
    info->src->next_input_byte = kEndOfImage;
    info->src->bytes_in_buffer = 2;
    return TRUE;
}
void SkipInput(j_decompress_ptr info, long count) {
    if (count <= 0) return;
    if (static_cast<size_t>(count) > info->src->bytes_in_buffer) {
        FillInput(info);
        return;
    }
    info->src->next_input_byte += count;
    info->src->bytes_in_buffer -= static_cast<size_t>(count);
}
void TermSource(j_decompress_ptr) {}

struct MemoryDestination {
    jpeg_destination_mgr Base;
    std::vector<JOCTET>* Out;
    JOCTET Buffer[16384];
};

void InitDestination(j_compress_ptr info) {
    auto* d = reinterpret_cast<MemoryDestination*>(info->dest);
    d->Base.next_output_byte = d->Buffer;
    d->Base.free_in_buffer = sizeof d->Buffer;
}
boolean EmptyOutput(j_compress_ptr info) {
    auto* d = reinterpret_cast<MemoryDestination*>(info->dest);
    d->Out->insert(d->Out->end(), d->Buffer, d->Buffer + sizeof d->Buffer);
    d->Base.next_output_byte = d->Buffer;
    d->Base.free_in_buffer = sizeof d->Buffer;
    return TRUE;
}
void TermDestination(j_compress_ptr info) {
    auto* d = reinterpret_cast<MemoryDestination*>(info->dest);
    d->Out->insert(d->Out->end(), d->Buffer, d->Buffer + (sizeof d->Buffer - d->Base.free_in_buffer));
}

[[noreturn]] void Fail(int code) { throw EInvalidGraphic(FmtMsg(GraphicsConst::SJPEGError, code)); }

int DensityToDpi(int unit, int density) {
    if (density <= 0) return 96;
    if (unit == 1) return density;
    if (unit == 2) return static_cast<int>(density * 2.54 + 0.5);
    return 96;
}

// Decodes into rows allocated before the jump point, so that a jump leaves
// nothing to destroy. Returns 0 or libjpeg's message code.
struct Decoded {
    int Width = 0, Height = 0, Components = 0, DpiX = 96, DpiY = 96;
    std::vector<uint8_t> Pixels;
};

int Decode(const std::string& bytes, Decoded& out) {
    jpeg_decompress_struct info;
    ErrorManager err;
    MemorySource src;
    info.err = jpeg_std_error(&err.Base);
    err.Base.error_exit = ErrorExit;
    err.Base.emit_message = SilentMessage;
    err.Code = 0;
    if (setjmp(err.Jump)) {
        jpeg_destroy_decompress(&info);
        return err.Code ? err.Code : -1;
    }
    jpeg_create_decompress(&info);
    src.Base.init_source = InitSource;
    src.Base.fill_input_buffer = FillInput;
    src.Base.skip_input_data = SkipInput;
    src.Base.resync_to_restart = jpeg_resync_to_restart;
    src.Base.term_source = TermSource;
    src.Base.next_input_byte = reinterpret_cast<const JOCTET*>(bytes.data());
    src.Base.bytes_in_buffer = bytes.size();
    info.src = &src.Base;
    jpeg_read_header(&info, TRUE);
    info.out_color_space = info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_calc_output_dimensions(&info);
    if (int64_t(info.output_width) * info.output_height > kPixelLimit) {
        jpeg_destroy_decompress(&info);
        return -2;
    }
    out.Width = static_cast<int>(info.output_width);
    out.Height = static_cast<int>(info.output_height);
    out.Components = info.out_color_space == JCS_GRAYSCALE ? 1 : 3;
    if (info.saw_JFIF_marker) {
        out.DpiX = DensityToDpi(info.density_unit, info.X_density);
        out.DpiY = DensityToDpi(info.density_unit, info.Y_density);
    }
    out.Pixels.resize(static_cast<size_t>(out.Width) * out.Components * out.Height);
    jpeg_start_decompress(&info);
    if (static_cast<int>(info.output_components) != out.Components) longjmp(err.Jump, 1);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.Pixels.data() + static_cast<size_t>(info.output_scanline) * out.Width * out.Components;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return 0;
}

int Encode(const std::vector<uint8_t>& pixels, int width, int height, int components, int quality, bool progressive,
           int dpiX, int dpiY, std::vector<JOCTET>& out) {
    jpeg_compress_struct info;
    ErrorManager err;
    MemoryDestination dest;
    info.err = jpeg_std_error(&err.Base);
    err.Base.error_exit = ErrorExit;
    err.Base.emit_message = SilentMessage;
    err.Code = 0;
    if (setjmp(err.Jump)) {
        jpeg_destroy_compress(&info);
        return err.Code ? err.Code : -1;
    }
    jpeg_create_compress(&info);
    dest.Base.init_destination = InitDestination;
    dest.Base.empty_output_buffer = EmptyOutput;
    dest.Base.term_destination = TermDestination;
    dest.Out = &out;
    info.dest = &dest.Base;
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive) jpeg_simple_progression(&info);
    info.write_JFIF_header = TRUE;
    info.density_unit = 1;
    info.X_density = static_cast<UINT16>(dpiX > 0 ? dpiX : 96);
    info.Y_density = static_cast<UINT16>(dpiY > 0 ? dpiY : 96);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + static_cast<size_t>(info.next_scanline) * width * components);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return 0;
}

}  // namespace

TJPEGImage::TJPEGImage() : FBitmap(std::make_unique<TBitmap>()) {
    FBitmap->OnChange = [this](TObject*) { FData.clear(); };
}

TJPEGImage::~TJPEGImage() = default;

bool TJPEGImage::Empty() const { return FBitmap->Empty(); }
int32_t TJPEGImage::Width() const { return FBitmap->Width(); }
int32_t TJPEGImage::Height() const { return FBitmap->Height(); }
int32_t TJPEGImage::ResolutionX() const { return FBitmap->ResolutionX(); }
int32_t TJPEGImage::ResolutionY() const { return FBitmap->ResolutionY(); }

TBitmap* TJPEGImage::Bitmap() {
    // The caller may draw on it: the next save compresses the pixels.
    FData.clear();
    return FBitmap.get();
}

void TJPEGImage::SetCompressionQuality(int32_t quality) {
    quality = std::clamp(quality, 1, 100);
    if (quality == FQuality) return;
    FQuality = quality;
    FData.clear();
}

void TJPEGImage::SetGrayscale(bool grayscale) {
    if (grayscale == FGrayscale) return;
    FGrayscale = grayscale;
    FData.clear();
    Changed();
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect) { FBitmap->Draw(canvas, rect); }

void TJPEGImage::LoadFromStream(TStream& stream) {
    std::string bytes;
    char chunk[65536];
    int64_t n;
    while ((n = stream.Read(chunk, sizeof chunk)) > 0) bytes.append(chunk, static_cast<size_t>(n));
    Decoded d;
    int code = Decode(bytes, d);
    if (code == -2) throw EInvalidGraphic(GraphicsConst::SInvalidImageSize);
    if (code != 0) Fail(code);
    QImage image(d.Width, d.Height, d.Components == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    for (int y = 0; y < d.Height; ++y)
        std::memcpy(image.scanLine(y), d.Pixels.data() + static_cast<size_t>(y) * d.Width * d.Components,
                    static_cast<size_t>(d.Width) * d.Components);
    if (d.Components == 1) {
        QImage indexed(d.Width, d.Height, QImage::Format_Indexed8);
        QList<QRgb> grey;
        for (int i = 0; i < 256; ++i) grey.push_back(qRgb(i, i, i));
        indexed.setColorTable(grey);
        for (int y = 0; y < d.Height; ++y) std::memcpy(indexed.scanLine(y), image.constScanLine(y), d.Width);
        image = indexed;
    }
    FBitmap->OnChange = nullptr;
    SetBitmapImage(*FBitmap, image);
    FBitmap->SetResolution(d.DpiX, d.DpiY);
    FBitmap->OnChange = [this](TObject*) { FData.clear(); };
    FGrayscale = d.Components == 1;
    FData = std::move(bytes);
    Changed();
}

void TJPEGImage::SaveToStream(TStream& stream) {
    if (!FData.empty()) {
        stream.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
        return;
    }
    if (Empty()) Fail(JERR_EMPTY_IMAGE);
    const QImage& source = BitmapImage(*FBitmap);
    int w = source.width(), h = source.height();
    int components = FGrayscale ? 1 : 3;
    QImage rows = source.convertToFormat(FGrayscale ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * components * h);
    for (int y = 0; y < h; ++y)
        std::memcpy(pixels.data() + static_cast<size_t>(y) * w * components, rows.constScanLine(y),
                    static_cast<size_t>(w) * components);
    std::vector<JOCTET> out;
    int code = Encode(pixels, w, h, components, FQuality, FProgressive, FBitmap->ResolutionX(),
                      FBitmap->ResolutionY(), out);
    if (code != 0) Fail(code);
    stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

void TJPEGImage::Assign(const TPersistent* source) {
    if (auto* jpeg = dynamic_cast<const TJPEGImage*>(source)) {
        if (jpeg == this) return;
        FBitmap->OnChange = nullptr;
        FBitmap->Assign(jpeg->FBitmap.get());
        FBitmap->OnChange = [this](TObject*) { FData.clear(); };
        FData = jpeg->FData;
        FQuality = jpeg->FQuality;
        FGrayscale = jpeg->FGrayscale;
        FProgressive = jpeg->FProgressive;
        Changed();
        return;
    }
    if (dynamic_cast<const TGraphic*>(source) || !source) {
        FBitmap->Assign(source);
        FData.clear();
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TJPEGImage::AssignTo(TPersistent* dest) const {
    if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
        bitmap->Assign(FBitmap.get());
        return;
    }
    TGraphic::AssignTo(dest);
}
