import QtQuick
import QtQuick.Shapes

// The Orvendel mark: a furnace shell with three electrodes and an arc glow, and the name beside it.
Item {
    id: logo

    Accessible.role: Accessible.Graphic
    Accessible.name: "Orvendel"

    Item {
        id: mark
        width: 150
        height: 150
        anchors.verticalCenter: parent.verticalCenter
        x: (logo.width - width - 20 - word.implicitWidth) / 2

        // The glow of the arc.
        Rectangle {
            x: 35; y: 62; width: 80; height: 40; radius: 20
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0; color: "#00e84118" }
                GradientStop { position: 0.5; color: "#e84118" }
                GradientStop { position: 1; color: "#00e84118" }
            }
        }
        // Three electrodes.
        Repeater {
            model: 3
            Rectangle {
                required property int index
                x: 45 + index * 25; y: 6; width: 12; height: 76; radius: 2
                color: "#3a3f47"
            }
        }
        Shape {
            anchors.fill: parent
            // The vessel: a bowl with a rim.
            ShapePath {
                strokeWidth: 0
                fillColor: "#0a3353"
                startX: 14; startY: 78
                PathLine { x: 136; y: 78 }
                PathLine { x: 136; y: 92 }
                PathCubic { x: 75; y: 146; control1X: 136; control1Y: 128; control2X: 108; control2Y: 146 }
                PathCubic { x: 14; y: 92; control1X: 42; control1Y: 146; control2X: 14; control2Y: 128 }
                PathLine { x: 14; y: 78 }
            }
            // The molten bath.
            ShapePath {
                strokeWidth: 0
                fillColor: "#f5a623"
                startX: 30; startY: 100
                PathLine { x: 120; y: 100 }
                PathCubic { x: 75; y: 132; control1X: 116; control1Y: 122; control2X: 98; control2Y: 132 }
                PathCubic { x: 30; y: 100; control1X: 52; control1Y: 132; control2X: 34; control2Y: 122 }
            }
        }
    }

    Column {
        id: word
        anchors.left: mark.right
        anchors.leftMargin: 20
        anchors.verticalCenter: parent.verticalCenter
        Text {
            text: "Orvendel"
            font.pixelSize: 52
            font.bold: true
            color: "#0a3353"
        }
        Text {
            text: "MELTSHOP DELAYS"
            font.pixelSize: 16
            font.letterSpacing: 4
            color: "#e84118"
        }
    }
}
