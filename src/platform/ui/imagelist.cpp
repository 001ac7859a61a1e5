#include "platform/ui/imagelist.h"

#include "platform/ui/controlsupport.h"

namespace ui {

ListImage& ListImages::Add(int index, const QString& key, const QPixmap& picture)
{
    if (index < 0 || index > Count() + 1) raiseControlError(errIndexOutOfBounds);
    if (!key.isEmpty())
        for (const auto& image : images_)
            if (image->key_ == key) raiseControlError(errKeyNotUnique);
    auto image = std::make_unique<ListImage>();
    image->key_ = key;
    image->picture_ = picture;
    ListImage& added = *image;
    images_.insert(index == 0 ? images_.end() : images_.begin() + (index - 1), std::move(image));
    renumber();
    return added;
}

ListImage& ListImages::Item(int index) const
{
    if (index < 1 || index > Count()) raiseControlError(errIndexOutOfBounds);
    return *images_[size_t(index - 1)];
}

ListImage& ListImages::Item(const QString& key) const
{
    for (const auto& image : images_)
        if (!key.isEmpty() && image->key_ == key) return *image;
    raiseControlError(errElementNotFound);
}

void ListImages::Remove(int index)
{
    Item(index);
    images_.erase(images_.begin() + (index - 1));
    renumber();
}

void ListImages::Clear()
{
    images_.clear();
}

void ListImages::renumber()
{
    for (size_t i = 0; i < images_.size(); ++i) images_[i]->index_ = int(i + 1);
}

ImageList::ImageList(QObject* parent) : QObject(parent) {}

ImageList::~ImageList() = default;

QPixmap ImageList::picture(int index) const
{
    if (index < 1 || index > images_.Count()) return {};
    return images_.Item(index).Picture();
}

}  // namespace ui
