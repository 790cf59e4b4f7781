// IconList: the games list's 32 x 32 images. It starts with the built-in football picture;
// each scanned game's icon is inserted ahead of it, so the football always follows the icons.
#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QPixmap>

#include <string_view>

namespace kv {

class ImageList : public QObject {
    Q_OBJECT
public:
    static constexpr int ImageSize = 32;

    explicit ImageList(QObject* owner);

    // Back to the built-in picture alone, dropping icons an interrupted scan inserted.
    void reset();
    // Scales image to 32 x 32 and inserts it at position, moving the images from there back.
    void insert(int position, const QImage& image);
    int count() const { return static_cast<int>(m_images.size()); }
    QPixmap image(int index) const { return m_images.value(index); }

private:
    QList<QPixmap> m_images;
};

// The built-in football, drawn here rather than shipped as a file.
QImage footballPicture();

// The icon of a Windows .ico file's bytes, nearest to 32 x 32 of the sizes it holds; a null
// image when the bytes are not an icon.
QImage decodeIcon(std::string_view bytes);

} // namespace kv
