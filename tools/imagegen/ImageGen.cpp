// orvane-imagegen: draws the pictures the resource libraries carry (see
// README.md beside this file): the world map of the location dialog from
// the earth image of the Debian package xplanet-images, the two icons of
// the options page and the advanced dialog, and the frames of the progress
// window's two animation clips.
//
//   orvane-imagegen EARTH_IMAGE OUTPUT_FOLDER

#include <QtGui/QColor>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

// The map: 1 pixel a degree, 360 wide (15 an hour of time zone), from 80° N
// to 60° S, where every city of the list lies; longitude 0 in column 180,
// so that the dialog's marker, above the middle column, shows zone 0 when
// the map is not shifted.
constexpr int kMapWidth = 360;
constexpr int kNorth = 80;
constexpr int kSouth = -60;
constexpr int kMapHeight = kNorth - kSouth;

// Mid-toned colours, so that the map reads on a light desktop theme and on a
// dark one alike, with each hour's meridian drawn a shade apart.
const QRgb kOcean = qRgb(0x3b, 0x6e, 0x9e);
const QRgb kOceanMeridian = qRgb(0x52, 0x83, 0xb3);
const QRgb kLand = qRgb(0x9b, 0xbf, 0x6a);
const QRgb kLandMeridian = qRgb(0x84, 0xa8, 0x55);
const QRgb kIce = qRgb(0xdd, 0xe6, 0xea);
const QRgb kIceMeridian = qRgb(0xc4, 0xd0, 0xd6);

enum Surface { kWater, kGround, kFrozen };
constexpr double kIceLatitude = 58.0;  // Greenland's southern tip

// What a patch of the earth image shows: the mean of its pixels. The sea of
// the image is a dark blue, ice and snow nearly white, land anything else.
Surface Classify(const QImage& earth, double lon0, double lon1, double lat0, double lat1) {
  const double w = earth.width(), h = earth.height();
  // The image spans 180° W .. 180° E from left to right, 90° N .. 90° S from
  // top to bottom.
  const int x0 = static_cast<int>(std::floor((lon0 + 180.0) / 360.0 * w));
  const int x1 = std::max(x0 + 1, static_cast<int>(std::floor((lon1 + 180.0) / 360.0 * w)));
  const int y0 = static_cast<int>(std::floor((90.0 - lat0) / 180.0 * h));
  const int y1 = std::max(y0 + 1, static_cast<int>(std::floor((90.0 - lat1) / 180.0 * h)));
  double r = 0, g = 0, b = 0;
  int n = 0;
  int water = 0;
  for (int y = y0; y < y1 && y < earth.height(); ++y) {
    for (int x = x0; x < x1 && x < earth.width(); ++x) {
      const QColor c = earth.pixelColor(x, y);
      r += c.red();
      g += c.green();
      b += c.blue();
      // Sea: blue ahead of red and green, and dark.
      if (c.blue() > c.red() + 8 && c.blue() >= c.green() && c.red() + c.green() + c.blue() < 300) ++water;
      ++n;
    }
  }
  if (n == 0) return kWater;
  r /= n, g /= n, b /= n;
  if (water * 2 > n) return kWater;
  // Bright deserts (the Sahara, Arabia) are as light as snow: only the far
  // north keeps its ice.
  if (r > 175 && g > 175 && b > 175 && lat1 >= kIceLatitude) return kFrozen;
  return kGround;
}

QImage DrawMap(const QImage& earth) {
  QImage map(kMapWidth, kMapHeight, QImage::Format_Indexed8);
  map.setColorTable({kOcean, kOceanMeridian, kLand, kLandMeridian, kIce, kIceMeridian});
  for (int y = 0; y < kMapHeight; ++y) {
    const double lat0 = kNorth - y, lat1 = kNorth - y - 1;
    for (int x = 0; x < kMapWidth; ++x) {
      const double lon0 = x - 180.0, lon1 = x - 179.0;
      const Surface surface = Classify(earth, lon0, lon1, lat0, lat1);
      // Every 15°, an hour of time zone, a meridian: at longitude 0 in
      // column 180, and so at columns 0, 15, ... 345.
      const bool meridian = x % 15 == 0;
      map.setPixel(x, y, static_cast<uint>(surface * 2 + (meridian ? 1 : 0)));
    }
  }
  return map;
}

// 221: a loudspeaker with its sound waves (the reminder's sound).
QImage DrawSpeaker() {
  QImage icon(32, 32, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  QPainter p(&icon);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath body;
  body.moveTo(4, 12);
  body.lineTo(10, 12);
  body.lineTo(17, 5);
  body.lineTo(17, 27);
  body.lineTo(10, 20);
  body.lineTo(4, 20);
  body.closeSubpath();
  p.setPen(QPen(QColor(0x2a, 0x3f, 0x5f), 1.5));
  p.setBrush(QColor(0x5b, 0x8d, 0xc9));
  p.drawPath(body);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x3b, 0x6e, 0x9e), 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawArc(QRectF(14, 10, 10, 12), -50 * 16, 100 * 16);
  p.drawArc(QRectF(13, 5, 16, 22), -50 * 16, 100 * 16);
  return icon;
}

// 222: an alarm clock (the reminder before the prayer).
QImage DrawClock() {
  QImage icon(32, 32, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  QPainter p(&icon);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x5a, 0x3a, 0x10), 1.5));
  p.setBrush(QColor(0xe0, 0xa0, 0x30));
  p.drawEllipse(QRectF(3, 2, 9, 9));
  p.drawEllipse(QRectF(20, 2, 9, 9));
  p.setBrush(QColor(0xfa, 0xf6, 0xe8));
  p.drawEllipse(QRectF(5, 6, 22, 22));
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(16, 17), QPointF(16, 10));
  p.drawLine(QPointF(16, 17), QPointF(21, 20));
  p.setPen(QPen(QColor(0x5a, 0x3a, 0x10), 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(9, 27), QPointF(7, 30));
  p.drawLine(QPointF(23, 27), QPointF(25, 30));
  return icon;
}

// The progress window's clips: a calendar page whose six days are filled
// one by one (224, while appointments are written) or emptied one by one
// (223, while they are removed). Each frame 40 × 24; the frames side by
// side.
constexpr int kFrameWidth = 40;
constexpr int kFrameHeight = 24;
constexpr int kFrames = 7;

void DrawPage(QPainter& p, int left, int filled) {
  p.setPen(QPen(QColor(0x55, 0x55, 0x55), 1));
  p.setBrush(QColor(0xfb, 0xfb, 0xf8));
  p.drawRect(QRectF(left + 6.5, 2.5, 27, 20));
  p.setBrush(QColor(0x3b, 0x6e, 0x9e));
  p.drawRect(QRectF(left + 6.5, 2.5, 27, 5));
  for (int day = 0; day < 6; ++day) {
    const double x = left + 9.5 + (day % 3) * 8;
    const double y = 10.5 + (day / 3) * 6;
    p.setBrush(day < filled ? QColor(0x4f, 0x9a, 0x3c) : QColor(0xe4, 0xe4, 0xe0));
    p.setPen(QPen(QColor(0x99, 0x99, 0x99), 1));
    p.drawRect(QRectF(x, y, 6, 4));
  }
}

QImage DrawClip(bool filling) {
  QImage strip(kFrameWidth * kFrames, kFrameHeight, QImage::Format_ARGB32);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  for (int frame = 0; frame < kFrames; ++frame) {
    DrawPage(p, frame * kFrameWidth, filling ? frame : kFrames - 1 - frame);
  }
  return strip;
}

bool Save(const QImage& image, const std::string& path, const char* format) {
  if (image.save(QString::fromStdString(path), format)) return true;
  std::fprintf(stderr, "orvane-imagegen: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: orvane-imagegen EARTH_IMAGE OUTPUT_FOLDER\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const QImage earth(QString::fromLocal8Bit(argv[1]));
  if (earth.isNull() || earth.width() != 2 * earth.height()) {
    std::fprintf(stderr, "orvane-imagegen: %s is no equirectangular earth image\n", argv[1]);
    return 1;
  }
  const std::string out = std::string(argv[2]) + "/";
  const bool ok = Save(DrawMap(earth), out + "map.bmp", "BMP") && Save(DrawSpeaker(), out + "sound.ico", "ICO") &&
                  Save(DrawClock(), out + "reminder.ico", "ICO") && Save(DrawClip(false), out + "removing.png", "PNG") &&
                  Save(DrawClip(true), out + "writing.png", "PNG");
  return ok ? 0 : 1;
}
