import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The information page: one card per contact with phone, e-mail address and website; tapping the
// address or the website hands it to the controller.
Rectangle {
    id: view
    required property var controller
    color: Theme.background

    NavigationBar {
        id: bar
        width: parent.width
        title: view.controller ? view.controller.title : ""
    }

    ListView {
        id: list
        anchors.top: bar.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        clip: true
        topMargin: Theme.spacing
        bottomMargin: Theme.spacing
        spacing: Theme.spacing
        model: view.controller ? view.controller.contacts : null
        ScrollIndicator.vertical: ScrollIndicator {}

        delegate: Rectangle {
            id: card
            required property int index
            required property string name
            required property url logoUrl
            required property string phone
            required property string email
            required property string website

            x: Theme.spacing
            width: ListView.view.width - 2 * Theme.spacing
            height: details.implicitHeight + 2 * Theme.spacing
            radius: Theme.radius
            color: Theme.panel
            border.color: Theme.separator

            Column {
                id: details
                x: Theme.spacing
                y: Theme.spacing
                width: parent.width - 2 * Theme.spacing
                Row {
                    width: parent.width
                    spacing: Theme.spacing
                    PhotoImage {
                        id: logo
                        width: 60
                        height: 60
                        source: card.logoUrl
                        placeholder: Theme.asset("177-building.png")
                        fillMode: Image.PreserveAspectFit
                    }
                    Column {
                        width: parent.width - logo.width - parent.spacing
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: 4
                        Text {
                            width: parent.width
                            text: card.name
                            color: Theme.ink
                            font.pixelSize: Theme.fontLarge
                            font.bold: true
                            wrapMode: Text.Wrap
                            maximumLineCount: 2
                            elide: Text.ElideRight
                        }
                        Text {
                            width: parent.width
                            visible: card.phone.length > 0
                            text: qsTr("Telefoon: %1").arg(card.phone)
                            color: Theme.ink
                            font.pixelSize: Theme.fontNormal
                        }
                    }
                }
                ItemDelegate {
                    id: emailLink
                    width: parent.width
                    height: Math.max(Theme.touchTarget - 8, implicitHeight)
                    visible: card.email.length > 0
                    leftPadding: 0
                    rightPadding: 0
                    text: card.email
                    font.pixelSize: Theme.fontSmall + 1
                    onClicked: if (view.controller) view.controller.openEmail(card.index)
                    // A long address breaks anywhere rather than losing its end.
                    contentItem: Text {
                        text: emailLink.text
                        font: emailLink.font
                        color: Theme.accent
                        wrapMode: Text.WrapAnywhere
                        verticalAlignment: Text.AlignVCenter
                    }
                }
                ItemDelegate {
                    id: websiteLink
                    width: parent.width
                    height: Math.max(Theme.touchTarget - 8, implicitHeight)
                    visible: card.website.length > 0
                    leftPadding: 0
                    rightPadding: 0
                    text: card.website
                    font.pixelSize: Theme.fontSmall + 1
                    onClicked: if (view.controller) view.controller.openWebsite(card.index)
                    // A long address breaks anywhere rather than losing its end.
                    contentItem: Text {
                        text: websiteLink.text
                        font: websiteLink.font
                        color: Theme.accent
                        wrapMode: Text.WrapAnywhere
                        verticalAlignment: Text.AlignVCenter
                    }
                }
            }
        }
    }
}
