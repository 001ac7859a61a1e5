#pragma once
// The image list control: pictures for lists, trees and toolbars, reached by
// their 1-based index or their key, each with a Tag of its own. It is never
// shown; lists and trees take their icons from it by index.
//
//   ui::ImageList images;
//   images.ListImages().Add(0, "FC", QPixmap(":/fc.png")).setTag("FC");
//   images.ListImages().Item(4).Tag();
#include <QObject>
#include <QPixmap>
#include <QString>

#include <memory>
#include <vector>

namespace ui {

class ListImage {
public:
    int Index() const { return index_; }  // 1-based
    const QString& Key() const { return key_; }
    const QString& Tag() const { return tag_; }
    void setTag(const QString& tag) { tag_ = tag; }
    const QPixmap& Picture() const { return picture_; }
    void setPicture(const QPixmap& picture) { picture_ = picture; }

private:
    friend class ListImages;
    int index_ = 0;
    QString key_;
    QString tag_;
    QPixmap picture_;
};

class ListImages {
public:
    // Adds a picture at 1-based `index` (0 appends). A key already in use
    // raises 35602; an index beyond Count + 1 raises 35600.
    ListImage& Add(int index = 0, const QString& key = {}, const QPixmap& picture = {});
    int Count() const { return int(images_.size()); }
    // 1-based; out of range raises 35600 ("Index out of bounds").
    ListImage& Item(int index) const;
    // By key; an unknown key raises 35601 ("Element not found").
    ListImage& Item(const QString& key) const;
    void Remove(int index);
    void Clear();

private:
    void renumber();
    std::vector<std::unique_ptr<ListImage>> images_;
};

class ImageList : public QObject {
    Q_OBJECT
public:
    explicit ImageList(QObject* parent = nullptr);
    ~ImageList() override;

    ui::ListImages& ListImages() { return images_; }
    const ui::ListImages& ListImages() const { return images_; }
    // Size of the pictures in pixels (16 by 16 unless set).
    int ImageWidth() const { return width_; }
    void setImageWidth(int pixels) { width_ = pixels; }
    int ImageHeight() const { return height_; }
    void setImageHeight(int pixels) { height_ = pixels; }
    QString Name() const { return objectName(); }

    // The picture of 1-based `index`; a null pixmap when there is none (an
    // index of 0 or out of range shows no icon in a list, as in the old
    // control).
    QPixmap picture(int index) const;

private:
    ui::ListImages images_;
    int width_ = 16;
    int height_ = 16;
};

}  // namespace ui
