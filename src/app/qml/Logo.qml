import QtQuick

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
        // The vessel, a bowl under a rim, and the molten bath in it: the lower halves of rounded shapes. Drawn
        // with plain rectangles, as the logo is part of the first frame.
        Item {
            x: 14; y: 78; width: 122; height: 68
            clip: true
            Rectangle { y: -68; width: 122; height: 136; radius: 61; color: "#0a3353"; antialiasing: true }
        }
        Rectangle { x: 14; y: 78; width: 122; height: 14; color: "#0a3353" }
        Item {
            x: 30; y: 100; width: 90; height: 32
            clip: true
            Rectangle { y: -40; width: 90; height: 72; radius: 36; color: "#f5a623"; antialiasing: true }
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
            text: qsTr("MELTSHOP DELAYS")
            font.pixelSize: 16
            font.letterSpacing: 4
            color: "#e84118"
        }
    }
}
