import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The group list: the group types as segments (or the text that there are none), the groups with
// their pictures, and the index strip. A tap on a group, a segment or an index entry goes to the
// controller.
Rectangle {
    id: view
    required property var controller
    color: Theme.panel

    function scrollTo(row) {
        const from = list.contentY
        list.positionViewAtIndex(row, ListView.Beginning)
        const to = list.contentY
        scrollAnimation.stop()
        list.contentY = from
        scrollAnimation.from = from
        scrollAnimation.to = to
        scrollAnimation.start()
    }

    Connections {
        target: view.controller
        ignoreUnknownSignals: true
        function onScrollToRow(row) { view.scrollTo(row) }
        function onCategoryChanged() {
            scrollAnimation.stop()
            list.positionViewAtBeginning()
        }
    }

    NavigationBar {
        id: bar
        width: parent.width
        title: view.controller ? view.controller.title : ""
    }

    Rectangle {
        id: header
        anchors.top: bar.bottom
        width: parent.width
        height: (types.visible ? types.height : sorry.implicitHeight) + 2 * Theme.spacing
        color: Theme.background

        SegmentedControl {
            id: types
            objectName: "groupTypes"
            x: Theme.spacing
            y: Theme.spacing
            width: parent.width - 2 * Theme.spacing
            visible: titles.length > 0
            titles: view.controller ? view.controller.segmentTitles : []
            current: view.controller ? view.controller.selectedSegment : -1
            onSegmentClicked: (index) => { if (view.controller) view.controller.didClickSegmentation(index) }
        }
        Text {
            id: sorry
            objectName: "noGroupsText"
            x: Theme.spacing
            y: Theme.spacing
            width: parent.width - 2 * Theme.spacing
            visible: text.length > 0
            text: view.controller ? view.controller.headerText : ""
            color: Theme.ink
            font.pixelSize: Theme.fontNormal
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
        }
        Rectangle {
            anchors.bottom: parent.bottom
            width: parent.width
            height: 1
            color: Theme.separator
        }
    }

    ListView {
        id: list
        objectName: "klassenList"
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        anchors.left: parent.left
        anchors.right: strip.left
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        model: view.controller ? view.controller.model : null
        ScrollIndicator.vertical: ScrollIndicator {}

        NumberAnimation {
            id: scrollAnimation
            target: list
            property: "contentY"
            duration: 250
            easing.type: Easing.OutCubic
        }

        delegate: ListRow {
            id: klas
            required property int index
            required property string name
            required property url photo
            objectName: "klas" + index
            title: name
            imageSource: photo
            disclosure: true
            focusPolicy: Qt.NoFocus
            onClicked: if (view.controller) view.controller.tableViewDidSelectRowAtIndexPath(klas.index)
        }
    }

    IndexStrip {
        id: strip
        objectName: "indexStrip"
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        anchors.right: parent.right
        anchors.topMargin: 4
        anchors.bottomMargin: 4
        titles: view.controller ? view.controller.sectionIndexTitles : []
        onLetterChosen: (title, index) => { if (view.controller) view.controller.sectionForSectionIndexTitle(title, index) }
    }
}
