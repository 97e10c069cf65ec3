#pragma once

#include "Hobject_View_Gui.h"

#include <Hobject.h>

#include <QString>

#include <memory>
#include <vector>

class Hobject_View_Selectors;

// The layers of a viewer: pictures in drawing order and the overlays (objects, texts, lines,
// crosses) in insertion order, with the selection style. A new layer takes the visibility
// the name rules give it. Not locked: the viewer calls it under its mutex. Every change
// answers whether something visible changed, which asks for a repaint.
class Hobject_View_Layers {
public:
    using PictureEntry = Hobject_View_Gui::PictureEntry;
    using ObjectEntry = Hobject_View_Gui::ObjectEntry;
    using TextEntry = Hobject_View_Gui::TextEntry;
    using LineEntry = Hobject_View_Gui::LineEntry;
    using CrossEntry = Hobject_View_Gui::CrossEntry;
    template <typename Entry>
    using List = std::vector<std::unique_ptr<Entry>>;

    // The name rules are not owned and outlive the layers.
    explicit Hobject_View_Layers(const Hobject_View_Selectors& rules);

    // Entries made without the lock. The object is kept as the form it is drawn in, with the
    // bounding box of what it draws; null when the object cannot be shown.
    static std::unique_ptr<ObjectEntry> makeObject(const Halcon::Hobject& object, const QString& color,
                                                   const QString& drawMode, int lineWidth, const QString& name,
                                                   bool selectable);
    static std::unique_ptr<TextEntry> makeText(const QString& text, double x, double y, const QString& color,
                                               const char* font, int size, const QString& name, bool selectable);
    static std::unique_ptr<LineEntry> makeLine(double x1, double y1, double x2, double y2, const QString& color,
                                               int lineWidth, const QString& name, bool selectable);
    static std::unique_ptr<CrossEntry> makeCross(double x, double y, double size, double angle, const QString& color,
                                                 int lineWidth, const QString& name, bool selectable);

    // Replaces a picture of the same name.
    bool setPicture(std::unique_ptr<PictureEntry> picture);
    bool removePictures(const QString& prefix);
    bool setPicturesVisible(const QString& prefix, bool visible);
    // false without pictures; otherwise the largest width and height of the pictures that
    // have a size.
    bool pictureSize(int& width, int& height) const;
    int pictureCount() const { return int(m_pictures.size()); }

    bool add(std::unique_ptr<ObjectEntry> entry);
    bool add(std::unique_ptr<TextEntry> entry);
    bool add(std::unique_ptr<LineEntry> entry);
    bool add(std::unique_ptr<CrossEntry> entry);
    bool removeObjects(const QString& prefix);
    bool setObjectsVisible(const QString& prefix, bool visible);
    bool setObjectColor(const QString& prefix, const QString& color);
    // Texts have no line width.
    bool setObjectLineWidth(const QString& prefix, int width);
    bool setObjectsSelectable(const QString& prefix, bool selectable);
    // After a change of the name rules.
    bool refreshPictureVisibility();
    bool refreshObjectVisibility();
    void clear();

    // Exact name, objects only.
    bool getObject(const QString& name, Halcon::Hobject& object, bool& visible, bool& selected) const;
    int objectCount() const;
    void objectStatistics(int& images, int& xldContours, int& xldPolygons, int& regions, int& texts, int& lines,
                          int& crosses) const;

    void setSelectionStyle(const QString& color, int lineWidth);
    const QString& selectionColor() const { return m_selectionColor; }
    int selectionLineWidth() const { return m_selectionLineWidth; }

    // For painting; picking changes the selection of the entries.
    const List<PictureEntry>& pictures() const { return m_pictures; }
    const List<ObjectEntry>& objects() const { return m_objects; }
    const List<TextEntry>& texts() const { return m_texts; }
    const List<LineEntry>& lines() const { return m_lines; }
    const List<CrossEntry>& crosses() const { return m_crosses; }
    List<ObjectEntry>& objects() { return m_objects; }
    List<LineEntry>& lines() { return m_lines; }
    List<CrossEntry>& crosses() { return m_crosses; }

private:
    template <typename Entry>
    bool append(List<Entry>& list, std::unique_ptr<Entry> entry);

    const Hobject_View_Selectors& m_rules;
    List<PictureEntry> m_pictures;
    List<ObjectEntry> m_objects;
    List<TextEntry> m_texts;
    List<LineEntry> m_lines;
    List<CrossEntry> m_crosses;
    QString m_selectionColor = QStringLiteral("yellow");
    int m_selectionLineWidth = 4;
};
