<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="nl">
<context>
    <name>AdminPageModel</name>
    <message>
        <source>Wachtrij</source>
        <translation>Queued</translation>
    </message>
    <message>
        <source>Verstuurd</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>Mislukt</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>Succes</source>
        <translation>Success</translation>
    </message>
    <message>
        <source>N/A</source>
        <translation>N/A</translation>
    </message>
</context>
<context>
    <name>AdminPageView</name>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>entryDate</source>
        <translation>Entered</translation>
    </message>
    <message>
        <source>Laatste poging</source>
        <translation>Last attempt</translation>
    </message>
    <message>
        <source>objectType</source>
        <translation>Object type</translation>
    </message>
    <message>
        <source>httpType</source>
        <translation>HTTP method</translation>
    </message>
    <message>
        <source>status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Pogingen</source>
        <translation>Attempts</translation>
    </message>
</context>
<context>
    <name>AdminPageViewController</name>
    <message>
        <source>Admin</source>
        <translation>Admin</translation>
    </message>
    <message>
        <source>Geen wijzigingen om opnieuw te versturen</source>
        <translation>No changes to send again</translation>
    </message>
    <message>
        <source>1 wijziging opnieuw verstuurd</source>
        <translation>1 change sent again</translation>
    </message>
    <message>
        <source>%1 wijzigingen opnieuw verstuurd</source>
        <translation>%1 changes sent again</translation>
    </message>
    <message>
        <source>Opnieuw verstuurd: %1 %2</source>
        <translation>Sent again: %1 %2</translation>
    </message>
    <message>
        <source>Niet verstuurd: %1 %2 bestaat niet meer op de tablet</source>
        <translation>Not sent: %1 %2 no longer exists on the tablet</translation>
    </message>
</context>
<context>
    <name>AlertDialog</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>ChildClockingSubject</name>
    <message>
        <source>Je gaat %1 kinderen in klokken. Ben je zeker dat je hiermee wil doorgaan?</source>
        <translation>You are about to clock in %1 children. Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Je gaat %1 kinderen in klokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?</source>
        <translation>You are about to clock in %1 children in the future. Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Je gaat %1 kinderen inklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?</source>
        <translation>You are about to clock in %1 children in the future. Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Je gaat een kind inklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?</source>
        <translation>You are about to clock in a child in the future. Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Je gaat %1 kinderen uitklokken. Ben je zeker dat je hiermee wil doorgaan?</source>
        <translation>You are about to clock out %1 children. Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Je gaat %1 kinderen uitklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?</source>
        <translation>You are about to clock out %1 children in the future. Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Je gaat een kind uitklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?</source>
        <translation>You are about to clock out a child in the future. Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Je wilt %1 %2 een tweede keer inklokken. Klok het kind eerst uit voor dat je opnieuw inklokt.</source>
        <translation>You want to clock in %1 %2 a second time. Clock the child out first before clocking in again.</translation>
    </message>
    <message>
        <source>Je wilt %1 %2 een tweede keer uitklokken. Klok het kind eerst in voor dat je opnieuw uitklokt.</source>
        <translation>You want to clock out %1 %2 a second time. Clock the child in first before clocking out again.</translation>
    </message>
    <message>
        <source>kinderen</source>
        <translation>children</translation>
    </message>
    <message>
        <source>%1 kinderen ingeklokt</source>
        <translation>%1 children clocked in</translation>
    </message>
    <message>
        <source>%1 kinderen uitgeklokt</source>
        <translation>%1 children clocked out</translation>
    </message>
    <message>
        <source>Je wilt %1 %2 om %3 uitklokken, maar het kind is pas om %4 ingeklokt. Kies een later tijdstip.</source>
        <translation>You want to clock %1 %2 out at %3, but the child was only clocked in at %4. Choose a later time.</translation>
    </message>
    <message>
        <source>Je wilt %1 %2 om %3 inklokken, maar het kind is om %4 al uitgeklokt. Kies een later tijdstip.</source>
        <translation>You want to clock %1 %2 in at %3, but the child was already clocked out at %4. Choose a later time.</translation>
    </message>
</context>
<context>
    <name>ClockChoiceButtons</name>
    <message>
        <source>Nu</source>
        <translation>Now</translation>
    </message>
    <message>
        <source>Vandaag</source>
        <translation>Today</translation>
    </message>
</context>
<context>
    <name>ClockingUndo</name>
    <message>
        <source>Ongedaan maken</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>%1 %2 ingeklokt</source>
        <translation>%1 %2 clocked in</translation>
    </message>
    <message>
        <source>%1 %2 uitgeklokt</source>
        <translation>%1 %2 clocked out</translation>
    </message>
    <message>
        <source>Opgepast</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CloseOutModel</name>
    <message>
        <source>Kinderen nog binnen (%1)</source>
        <translation>Children still in (%1)</translation>
    </message>
    <message>
        <source>Medewerkers nog ingeklokt (%1)</source>
        <translation>Staff still clocked in (%1)</translation>
    </message>
    <message>
        <source>Vooruit ingeklokt (%1)</source>
        <translation>Clocked in ahead (%1)</translation>
    </message>
    <message>
        <source>Niet verstuurde wijzigingen (%1)</source>
        <translation>Changes not sent (%1)</translation>
    </message>
</context>
<context>
    <name>CloseOutView</name>
    <message>
        <source>Uur van uitklokken</source>
        <translation>Clock-out time</translation>
    </message>
</context>
<context>
    <name>CloseOutViewController</name>
    <message>
        <source>Dag afsluiten</source>
        <translation>End of day</translation>
    </message>
    <message>
        <source>1 kind nog ingeklokt</source>
        <translation>1 child still clocked in</translation>
    </message>
    <message>
        <source>%1 kinderen nog ingeklokt</source>
        <translation>%1 children still clocked in</translation>
    </message>
    <message>
        <source>1 medewerker nog ingeklokt</source>
        <translation>1 staff member still clocked in</translation>
    </message>
    <message>
        <source>%1 medewerkers nog ingeklokt</source>
        <translation>%1 staff members still clocked in</translation>
    </message>
    <message>
        <source>1 wijziging nog niet verstuurd</source>
        <translation>1 change not sent yet</translation>
    </message>
    <message>
        <source>%1 wijzigingen nog niet verstuurd</source>
        <translation>%1 changes not sent yet</translation>
    </message>
    <message>
        <source>Klok iedereen uit om %1</source>
        <translation>Clock everyone out at %1</translation>
    </message>
    <message>
        <source>Alles is afgesloten voor vandaag.</source>
        <translation>Everything is closed for today.</translation>
    </message>
    <message>
        <source>In sinds %1</source>
        <translation>In since %1</translation>
    </message>
    <message>
        <source>Ingeklokt voor %1</source>
        <translation>Clocked in for %1</translation>
    </message>
    <message>
        <source>vandaag %1</source>
        <translation>today %1</translation>
    </message>
    <message>
        <source>morgen %1</source>
        <translation>tomorrow %1</translation>
    </message>
    <message>
        <source>Registratie verwijderd</source>
        <translation>Registration deleted</translation>
    </message>
    <message>
        <source>Tijd gewijzigd naar %1</source>
        <translation>Time changed to %1</translation>
    </message>
    <message>
        <source>Ingeklokt om %1</source>
        <translation>Clocked in at %1</translation>
    </message>
    <message>
        <source>Uitgeklokt om %1</source>
        <translation>Clocked out at %1</translation>
    </message>
    <message>
        <source>Nieuw kind</source>
        <translation>New child</translation>
    </message>
    <message>
        <source>Nieuwe foto</source>
        <translation>New photo</translation>
    </message>
    <message>
        <source>Opgepast</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Enkel een beheerder kan de dag afsluiten.</source>
        <translation>Only an administrator can close the day.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>%1 ligt nog in de toekomst. Kies een uur dat al voorbij is.</source>
        <translation>%1 is still in the future. Choose a time that has passed.</translation>
    </message>
    <message>
        <source>%1 %2 is pas om %3 ingeklokt. Kies een later uur.</source>
        <translation>%1 %2 was only clocked in at %3. Choose a later time.</translation>
    </message>
    <message>
        <source>1 kind</source>
        <translation>1 child</translation>
    </message>
    <message>
        <source>%1 kinderen</source>
        <translation>%1 children</translation>
    </message>
    <message>
        <source>1 medewerker</source>
        <translation>1 staff member</translation>
    </message>
    <message>
        <source>%1 medewerkers</source>
        <translation>%1 staff members</translation>
    </message>
    <message>
        <source>%1 en %2 uitklokken om %3?</source>
        <translation>Clock %1 and %2 out at %3?</translation>
    </message>
    <message>
        <source>%1 uitklokken om %2?</source>
        <translation>Clock %1 out at %2?</translation>
    </message>
    <message>
        <source>Annuleer</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Klok uit</source>
        <translation>Clock out</translation>
    </message>
</context>
<context>
    <name>CreateBoodschapView</name>
    <message>
        <source>Onderwerp</source>
        <translation>Subject</translation>
    </message>
    <message>
        <source>Boodschap</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>Bewaar</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>CreateBoodschapViewController</name>
    <message>
        <source>Boodschap</source>
        <translation>Message</translation>
    </message>
</context>
<context>
    <name>CreateChildView</name>
    <message>
        <source>Voornaam</source>
        <translation>First name</translation>
    </message>
    <message>
        <source>Familienaam</source>
        <translation>Last name</translation>
    </message>
    <message>
        <source>Extra Info</source>
        <translation>Extra info</translation>
    </message>
    <message>
        <source>Kies een groep</source>
        <translation>Choose a group</translation>
    </message>
    <message>
        <source>Bewaar</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>CreateChildViewController</name>
    <message>
        <source>Nieuw kind</source>
        <translation>New child</translation>
    </message>
    <message>
        <source>Foutje</source>
        <translation>Oops</translation>
    </message>
    <message>
        <source>Gelieve de voornaam en familienaam van het kind in te vullen.</source>
        <translation>Please fill in the child&apos;s first and last name.</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Opgepast</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Het kind kon niet op de tablet bewaard worden. Probeer het opnieuw.</source>
        <translation>The child could not be saved on the tablet. Please try again.</translation>
    </message>
    <message>
        <source>Succes</source>
        <translation>Success</translation>
    </message>
    <message>
        <source>Het kind is succesvol toegevoegd.</source>
        <translation>The child was added successfully.</translation>
    </message>
</context>
<context>
    <name>DataAccessObject</name>
    <message>
        <source>Filter op groep</source>
        <translation>Filter by group</translation>
    </message>
</context>
<context>
    <name>DeviceSelectionView</name>
    <message>
        <source>Bewaar</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>DeviceSelectionViewController</name>
    <message>
        <source>Selecteer een profiel</source>
        <translation>Select a profile</translation>
    </message>
    <message>
        <source>Geen geldig selectie</source>
        <translation>No valid selection</translation>
    </message>
    <message>
        <source>Gelieve een profiel te kiezen voor je op bewaren klikt</source>
        <translation>Please choose a profile before you tap save</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>DoubleClocking</name>
    <message>
        <source>deze tablet</source>
        <translation>this tablet</translation>
    </message>
    <message>
        <source>Twee keer ingeklokt: om %1 op %2 en om %3 op %4</source>
        <translation>Clocked in twice: at %1 on %2 and at %3 on %4</translation>
    </message>
    <message>
        <source>Twee keer uitgeklokt: om %1 op %2 en om %3 op %4</source>
        <translation>Clocked out twice: at %1 on %2 and at %3 on %4</translation>
    </message>
    <message>
        <source>Verwijder de latere (%1)</source>
        <translation>Delete the later one (%1)</translation>
    </message>
</context>
<context>
    <name>EmergencyRollView</name>
    <message>
        <source>PDF</source>
        <translation>PDF</translation>
    </message>
    <message>
        <source>Sluit</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>sinds %1</source>
        <translation>since %1</translation>
    </message>
    <message>
        <source>PDF bewaard in %1</source>
        <translation>PDF saved in %1</translation>
    </message>
</context>
<context>
    <name>EmergencyRollViewController</name>
    <message>
        <source>Noodlijst</source>
        <translation>Emergency roll</translation>
    </message>
    <message>
        <source>Niemand aanwezig</source>
        <translation>Nobody present</translation>
    </message>
    <message>
        <source>Iedereen afgevinkt (%1)</source>
        <translation>Everyone ticked off (%1)</translation>
    </message>
    <message>
        <source>Nog %1 van %2 niet afgevinkt</source>
        <translation>%1 of %2 not yet ticked off</translation>
    </message>
    <message>
        <source>Medewerker</source>
        <translation>Staff member</translation>
    </message>
    <message>
        <source>aanwezig om %1</source>
        <translation>present at %1</translation>
    </message>
    <message>
        <source>Nog niet bijgewerkt</source>
        <translation>Not updated yet</translation>
    </message>
    <message>
        <source>Offline · nog niet bijgewerkt</source>
        <translation>Offline · not updated yet</translation>
    </message>
    <message>
        <source>Bijgewerkt %1</source>
        <translation>Updated %1</translation>
    </message>
    <message>
        <source>Offline · laatst bijgewerkt %1</source>
        <translation>Offline · last updated %1</translation>
    </message>
    <message>
        <source>Opgepast</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>De PDF kon niet bewaard worden in %1.</source>
        <translation>The PDF could not be saved in %1.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Naam</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Groep</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>Aanwezig sinds</source>
        <translation>Present since</translation>
    </message>
    <message>
        <source>Noodlijst sluiten?</source>
        <translation>Close the emergency roll?</translation>
    </message>
    <message>
        <source>De vinkjes gaan verloren.</source>
        <translation>The ticks will be lost.</translation>
    </message>
    <message>
        <source>Annuleer</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Sluit</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>GroupSelectorViewController</name>
    <message>
        <source>Geen Selectie</source>
        <translation>No selection</translation>
    </message>
    <message>
        <source>Wis Selectie</source>
        <translation>Clear selection</translation>
    </message>
</context>
<context>
    <name>InfoView</name>
    <message>
        <source>Telefoon: %1</source>
        <translation>Phone: %1</translation>
    </message>
</context>
<context>
    <name>InfoViewController</name>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Sorry</source>
        <translation>Sorry</translation>
    </message>
    <message>
        <source>Sorry, dit lukt enkel als er al een emailadres is ingesteld in de mail applicatie.</source>
        <translation>Sorry, this only works once an e-mail address has been set up in the mail app.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>Inklokken</name>
    <message>
        <source>De wijziging kon niet op de tablet bewaard worden. Probeer opnieuw.</source>
        <translation>The change could not be saved on the tablet. Please try again.</translation>
    </message>
</context>
<context>
    <name>KlassenDataViewController</name>
    <message>
        <source>Lijsten</source>
        <translation>Lists</translation>
    </message>
    <message>
        <source>Sorry, er werden (nog) geen groepen gevonden</source>
        <translation>Sorry, no groups were found (yet)</translation>
    </message>
</context>
<context>
    <name>LeerlingenDataView</name>
    <message>
        <source>Selecteer Alle</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>Deselecteer Alle</source>
        <translation>Deselect all</translation>
    </message>
</context>
<context>
    <name>LeerlingenDetailViewController</name>
    <message>
        <source>Lees boodschap</source>
        <translation>Read message</translation>
    </message>
    <message>
        <source>Verwijder boodschap</source>
        <translation>Delete message</translation>
    </message>
    <message>
        <source>Opgepast</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Annuleer</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Bevestig</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Pas aan</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Verwijder</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Deselecteer</source>
        <translation>Deselect</translation>
    </message>
    <message>
        <source>Ben je zeker dat je deze registratie wilt verwijderen?</source>
        <translation>Are you sure you want to delete this registration?</translation>
    </message>
    <message>
        <source>Bewaar</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Wil je de reedsgeschreven text bewaren?</source>
        <translation>Do you want to keep the text written so far?</translation>
    </message>
    <message>
        <source>In</source>
        <translation>In</translation>
    </message>
    <message>
        <source>Out</source>
        <translation>Out</translation>
    </message>
    <message>
        <source>Sla over en klok de anderen</source>
        <translation>Skip and clock the others</translation>
    </message>
    <message>
        <source>Niet ingeklokt: %1</source>
        <translation>Not clocked in: %1</translation>
    </message>
    <message>
        <source>Niet uitgeklokt: %1</source>
        <translation>Not clocked out: %1</translation>
    </message>
    <message>
        <source>Foto bewaard</source>
        <translation>Photo saved</translation>
    </message>
</context>
<context>
    <name>LoginView</name>
    <message>
        <source>Paswoord</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Annuleer</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>LoginViewController</name>
    <message>
        <source>Kies een school</source>
        <translation>Choose a location</translation>
    </message>
    <message>
        <source>Gebruikersnaam</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>Connecteer</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>Gebruik je organisatienaam en paswoord om je iPad te koppelen met je organisatie.</source>
        <translation>Use your organisation&apos;s name and password to link this tablet to your organisation.</translation>
    </message>
    <message>
        <source>Gelieve het correcte paswoord in te geven.</source>
        <translation>Please enter the correct password.</translation>
    </message>
    <message>
        <source>De naam van deze tablet kon niet bewaard worden. Tik opnieuw op Bewaar om het nog eens te proberen.</source>
        <translation>This tablet&apos;s name could not be saved. Tap Save again to try once more.</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>Loading</translation>
    </message>
    <message>
        <source>Checking username and password</source>
        <translation>Checking username and password</translation>
    </message>
    <message>
        <source>We vonden je organisatie niet terug. Waarschijnlijk waren je gegevens incorrect. Probeer opnieuw of contacteer je support verantwoordelijke.</source>
        <translation>We could not find your organisation. Your details were probably incorrect. Try again or contact your support person.</translation>
    </message>
    <message>
        <source>Vergrendeld na 1 minuut zonder gebruik</source>
        <translation>Locked after 1 minute without use</translation>
    </message>
    <message>
        <source>Vergrendeld na %1 minuten zonder gebruik</source>
        <translation>Locked after %1 minutes without use</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>Kinderopvang</source>
        <translation>Childcare</translation>
    </message>
    <message>
        <source>Dit scherm kon niet geladen worden.</source>
        <translation>This screen could not be loaded.</translation>
    </message>
    <message>
        <source>Er ontbreekt iets van de app op deze tablet. Wat je al ingevuld hebt, blijft staan. Meld het aan wie de tablets van je organisatie beheert.</source>
        <translation>Part of the app is missing on this tablet. What you have already filled in stays. Please tell whoever looks after your organisation&apos;s tablets.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>MainSynchroObject</name>
    <message>
        <source>Opgepast</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Oeps... De server kon niet tijdig worden bereikt. Klik op &apos;Probeer opnieuw&apos;  om te herproberen. Contacteer de helpdesk indien het probleem zich blijft voordoen.</source>
        <translation>Oops... The server could not be reached in time. Tap &apos;Try again&apos; to retry. Contact the helpdesk if the problem persists.</translation>
    </message>
    <message>
        <source>Probeer opnieuw</source>
        <translation>Try again</translation>
    </message>
    <message>
        <source>Aanwezigheidsstatus berekenen</source>
        <translation>Calculating attendance</translation>
    </message>
    <message>
        <source>Even geduld... 
we herberekenen de aanwezigheidsstatus van elk kind... 
Dit kan enkele seconden duren.</source>
        <translation>One moment... 
we are recalculating the attendance of every child... 
This may take a few seconds.</translation>
    </message>
    <message>
        <source>Volledige resync.</source>
        <translation>Full resync.</translation>
    </message>
    <message>
        <source>Even geduld... 
 We synchroniseren de iPad met de centrale server. 
Dit kan enkele minuten duren.</source>
        <translation>One moment... 
 We are synchronising the tablet with the central server. 
This may take a few minutes.</translation>
    </message>
</context>
<context>
    <name>MediaPickerView</name>
    <message>
        <source>Neem een foto</source>
        <translation>Take a photo</translation>
    </message>
    <message>
        <source>Annuleer</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Foto&apos;s (*.jpg *.jpeg *.png *.JPG *.JPEG *.PNG)</source>
        <translation>Photos (*.jpg *.jpeg *.png *.JPG *.JPEG *.PNG)</translation>
    </message>
</context>
<context>
    <name>MediaPickerViewController</name>
    <message>
        <source>Kies een foto</source>
        <translation>Choose a photo</translation>
    </message>
    <message>
        <source>Neem een foto</source>
        <translation>Take a photo</translation>
    </message>
    <message>
        <source>Foto rol</source>
        <translation>Camera roll</translation>
    </message>
    <message>
        <source>Foto gallerij</source>
        <translation>Photo gallery</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Source of this type isn&apos;t available on your device</source>
        <translation>Source of this type isn&apos;t available on your device</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>MenuView</name>
    <message>
        <source>Noodlijst</source>
        <translation>Emergency roll</translation>
    </message>
</context>
<context>
    <name>MenuViewController</name>
    <message>
        <source>Zoeken op naam</source>
        <translation>Search by name</translation>
    </message>
    <message>
        <source>Lijsten</source>
        <translation>Lists</translation>
    </message>
    <message>
        <source>Nieuw kind</source>
        <translation>New child</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Zoek medewerker</source>
        <translation>Find staff member</translation>
    </message>
    <message>
        <source>Medewerker</source>
        <translation>Staff member</translation>
    </message>
    <message>
        <source>Admin</source>
        <translation>Admin</translation>
    </message>
    <message>
        <source>Welkom: %1</source>
        <translation>Welcome: %1</translation>
    </message>
    <message>
        <source>Dag afsluiten</source>
        <translation>End of day</translation>
    </message>
</context>
<context>
    <name>OptionsPopoverView</name>
    <message>
        <source>Verwijder</source>
        <translation>Delete</translation>
    </message>
</context>
<context>
    <name>ProductChoiceModel</name>
    <message>
        <source>Maaltijd</source>
        <translation>Meal</translation>
    </message>
    <message>
        <source>Koek</source>
        <translation>Biscuit</translation>
    </message>
    <message>
        <source>Frisdrank</source>
        <translation>Soft drink</translation>
    </message>
</context>
<context>
    <name>ProductRemoverView</name>
    <message>
        <source>Verwijder</source>
        <translation>Delete</translation>
    </message>
</context>
<context>
    <name>ProductadderViewController</name>
    <message>
        <source>Voeg product toe</source>
        <translation>Add product</translation>
    </message>
</context>
<context>
    <name>ProfilePageView</name>
    <message>
        <source>Afmelden</source>
        <translation>Log out</translation>
    </message>
    <message>
        <source>Aanwezigheden herberekenen</source>
        <translation>Recalculate attendance</translation>
    </message>
    <message>
        <source>Foto&apos;s wissen</source>
        <translation>Delete photos</translation>
    </message>
    <message>
        <source>Lokale databank wissen</source>
        <translation>Delete local database</translation>
    </message>
    <message>
        <source>Versie %1</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>ProfilePageViewController</name>
    <message>
        <source>Medewerker</source>
        <translation>Staff member</translation>
    </message>
    <message>
        <source>%1 %2 (id: %3)</source>
        <translation>%1 %2 (id: %3)</translation>
    </message>
    <message>
        <source>School not found...</source>
        <translation>Location not found...</translation>
    </message>
    <message>
        <source>%1 (id: %2)</source>
        <translation>%1 (id: %2)</translation>
    </message>
    <message>
        <source>Opgepast</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Deze functionaliteit verwijdert alle fotos van de kindjes van de ipad. Om terug fotos in de app te zien zal je een connectie naar de centrale server nodig hebben.</source>
        <translation>This deletes all the children&apos;s photos from the tablet. To see photos in the app again you will need a connection to the central server.</translation>
    </message>
    <message>
        <source>Annuleer</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Verwijder</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Sorry</source>
        <translation>Sorry</translation>
    </message>
    <message>
        <source>Deze functionaliteit is enkel toegangkelijk als alle uitgaande wijzigingen gesynchroniseerd zijn met de centrale databank!</source>
        <translation>This is only available once all outgoing changes have been synchronised with the central database!</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Dit zal alle gegevens uit de lokale databank van de ipad wissen. De ipad zal pas terug actief kunnen worden na dat de gegevens opnieuw van de server zijn gedownload.</source>
        <translation>This will delete all data from the tablet&apos;s local database. The tablet can only be used again once the data has been downloaded from the server again.</translation>
    </message>
    <message>
        <source>De wijziging kon niet op de tablet bewaard worden. Probeer opnieuw.</source>
        <translation>The change could not be saved on the tablet. Please try again.</translation>
    </message>
    <message>
        <source>Aanwezigheden herberekend voor 1 kind</source>
        <translation>Attendance recalculated for 1 child</translation>
    </message>
    <message>
        <source>Aanwezigheden herberekend voor %1 kinderen</source>
        <translation>Attendance recalculated for %1 children</translation>
    </message>
    <message>
        <source>Er waren geen foto&apos;s om te wissen</source>
        <translation>There were no photos to delete</translation>
    </message>
    <message>
        <source>1 foto gewist</source>
        <translation>1 photo deleted</translation>
    </message>
    <message>
        <source>%1 foto&apos;s gewist</source>
        <translation>%1 photos deleted</translation>
    </message>
    <message>
        <source>Foto bewaard</source>
        <translation>Photo saved</translation>
    </message>
</context>
<context>
    <name>RootViewController</name>
    <message>
        <source>Opgepast</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>De wijziging kon niet op de tablet bewaard worden. Probeer opnieuw.</source>
        <translation>The change could not be saved on the tablet. Please try again.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Annuleer</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Afmelden</source>
        <translation>Log out</translation>
    </message>
    <message>
        <source>Dag afsluiten</source>
        <translation>End of day</translation>
    </message>
    <message>
        <source>Dag afsluiten?</source>
        <translation>Close the day?</translation>
    </message>
    <message>
        <source>Er is nog iets open voor vandaag:</source>
        <translation>Some things are still open today:</translation>
    </message>
</context>
<context>
    <name>SchoolChangerViewController</name>
    <message>
        <source>Kies een school</source>
        <translation>Choose a location</translation>
    </message>
</context>
<context>
    <name>SearchField</name>
    <message>
        <source>Zoeken</source>
        <translation>Search</translation>
    </message>
</context>
<context>
    <name>SearchOverzichtView</name>
    <message>
        <source>Annuleer</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Filter op groep</source>
        <translation>Filter by group</translation>
    </message>
</context>
<context>
    <name>SearchOverzichtViewController</name>
    <message>
        <source>Zoeken op naam</source>
        <translation>Search by name</translation>
    </message>
    <message>
        <source>Alle </source>
        <translation>All </translation>
    </message>
    <message>
        <source>In</source>
        <translation>In</translation>
    </message>
    <message>
        <source>Uit</source>
        <translation>Out</translation>
    </message>
    <message>
        <source>Afwezig</source>
        <translation>Absent</translation>
    </message>
    <message>
        <source>Filter op groep</source>
        <translation>Filter by group</translation>
    </message>
    <message>
        <source>Alle (%1)</source>
        <translation>All (%1)</translation>
    </message>
    <message>
        <source>In (%1)</source>
        <translation>In (%1)</translation>
    </message>
    <message>
        <source>Uit (%1)</source>
        <translation>Out (%1)</translation>
    </message>
    <message>
        <source>Afw. (%1)</source>
        <translation>Abs. (%1)</translation>
    </message>
    <message>
        <source>Alle wijzigingen zijn bij de centrale server aangekomen.</source>
        <translation>All changes have reached the central server.</translation>
    </message>
    <message>
        <source>1 wijziging wacht nog op de centrale server. Ze wordt vanzelf verstuurd zodra er verbinding is; de tablet bewaart ze tot dan.</source>
        <translation>1 change is still waiting for the central server. It is sent automatically once there is a connection; the tablet keeps it until then.</translation>
    </message>
    <message>
        <source>%1 wijzigingen wachten nog op de centrale server. Ze worden vanzelf verstuurd zodra er verbinding is; de tablet bewaart ze tot dan.</source>
        <translation>%1 changes are still waiting for the central server. They are sent automatically once there is a connection; the tablet keeps them until then.</translation>
    </message>
    <message>
        <source>Synchronisatie</source>
        <translation>Synchronisation</translation>
    </message>
    <message>
        <source>Elke registratie wordt eerst op deze tablet bewaard en dan naar de centrale server verstuurd. Een klokje naast een naam: nog niet verstuurd. Een uitroepteken: het versturen mislukte, het wordt opnieuw geprobeerd.</source>
        <translation>Every registration is first kept on this tablet and then sent to the central server. A small clock next to a name: not sent yet. An exclamation mark: sending failed, it will be tried again.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>SearchUserViewController</name>
    <message>
        <source>Zoek medewerker</source>
        <translation>Find staff member</translation>
    </message>
</context>
<context>
    <name>StaffClockingSubject</name>
    <message>
        <source>Je gaat %1 gebruikers in klokken. Ben je zeker dat je hiermee wil doorgaan?</source>
        <translation>You are about to clock in %1 staff members. Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Je gaat %1 gebruikers in klokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?</source>
        <translation>You are about to clock in %1 staff members in the future. Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Je gaat %1 gebruikers inklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?</source>
        <translation>You are about to clock in %1 staff members in the future. Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Je gaat een gebuiker inklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?</source>
        <translation>You are about to clock in a staff member in the future. Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Je gaat een gebruiker inklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?</source>
        <translation>You are about to clock in a staff member in the future. Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Je gaat %1 gebruikers uitklokken. Ben je zeker dat je hiermee wil doorgaan?</source>
        <translation>You are about to clock out %1 staff members. Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Je gaat %1 gebruikers uitklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?</source>
        <translation>You are about to clock out %1 staff members in the future. Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Je gaat een gebruiker uitklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?</source>
        <translation>You are about to clock out a staff member in the future. Are you sure you want to continue?</translation>
    </message>
    <message>
        <source>Je wilt %1 %2 een tweede keer inklokken. Klok de gebruiker eerst uit voor dat je opnieuw inklokt.</source>
        <translation>You want to clock in %1 %2 a second time. Clock the staff member out first before clocking in again.</translation>
    </message>
    <message>
        <source>Je wilt %1 %2 een tweede keer uitklokken. Klok de gebruiker eerst in voor dat je opnieuw uitklokt.</source>
        <translation>You want to clock out %1 %2 a second time. Clock the staff member in first before clocking out again.</translation>
    </message>
    <message>
        <source>gebruikers</source>
        <translation>staff members</translation>
    </message>
    <message>
        <source>%1 medewerkers ingeklokt</source>
        <translation>%1 staff members clocked in</translation>
    </message>
    <message>
        <source>%1 medewerkers uitgeklokt</source>
        <translation>%1 staff members clocked out</translation>
    </message>
    <message>
        <source>Je wilt %1 %2 om %3 uitklokken, maar de gebruiker is pas om %4 ingeklokt. Kies een later tijdstip.</source>
        <translation>You want to clock %1 %2 out at %3, but the user was only clocked in at %4. Choose a later time.</translation>
    </message>
    <message>
        <source>Je wilt %1 %2 om %3 inklokken, maar de gebruiker is om %4 al uitgeklokt. Kies een later tijdstip.</source>
        <translation>You want to clock %1 %2 in at %3, but the user was already clocked out at %4. Choose a later time.</translation>
    </message>
</context>
<context>
    <name>StatusView</name>
    <message>
        <source>Er deed zich een timeout voor bij het updaten van de data</source>
        <translation>The data update timed out</translation>
    </message>
    <message>
        <source>Er ging iets fout met het updaten van data</source>
        <translation>Something went wrong while updating the data</translation>
    </message>
    <message>
        <source>Geupdate: %1 %2 geleden</source>
        <translation>Updated: %1 %2 ago</translation>
    </message>
    <message>
        <source>Synchro Interval: %1</source>
        <translation>Sync interval: %1</translation>
    </message>
</context>
<context>
    <name>StoreFailureView</name>
    <message>
        <source>Telefoon: %1</source>
        <translation>Phone: %1</translation>
    </message>
    <message>
        <source>Probeer opnieuw</source>
        <translation>Try again</translation>
    </message>
    <message>
        <source>Opnieuw geprobeerd (%1 keer): het lukt nog niet.</source>
        <translation>Tried again (%1 times): it does not work yet.</translation>
    </message>
</context>
<context>
    <name>StackScrollViewAppDelegate</name>
    <message>
        <source>Beschadigde gegevens</source>
        <translation>Damaged data</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Het bestand met de gegevens van deze tablet was beschadigd en werd opzijgezet als %1.</source>
        <translation>The file with this tablet&apos;s data was damaged and has been set aside as %1.</translation>
    </message>
    <message>
        <source>Er wachtten geen wijzigingen meer op verzending.</source>
        <translation>No changes were waiting to be sent.</translation>
    </message>
    <message>
        <source>%1 wijzigingen waren nog niet naar de server verzonden; %2 daarvan worden opnieuw verzonden.</source>
        <translation>%1 changes had not been sent to the server yet; %2 of them will be sent again.</translation>
    </message>
    <message>
        <source>De andere konden niet meer gelezen worden: contacteer de technische hulp van je organisatie en bewaar dat bestand.</source>
        <translation>The others could no longer be read: contact your organisation&apos;s technical help and keep that file.</translation>
    </message>
</context>
<context>
    <name>StoreFailureViewController</name>
    <message>
        <source>De gegevens op deze tablet kunnen niet geopend worden</source>
        <translation>The data on this tablet cannot be opened</translation>
    </message>
    <message>
        <source>De app heeft geen rechten op de map waarin de gegevens bewaard worden.</source>
        <translation>The app has no permission on the folder where the data is kept.</translation>
    </message>
    <message>
        <source>De opslagruimte van deze tablet is vol.</source>
        <translation>This tablet&apos;s storage is full.</translation>
    </message>
    <message>
        <source>De app draait al op deze tablet.</source>
        <translation>The app is already running on this tablet.</translation>
    </message>
    <message>
        <source>De gegevens kunnen op deze opslag niet veilig bewaard worden: een stroomonderbreking zou wijzigingen kunnen doen verloren gaan.</source>
        <translation>The data cannot be kept safely on this storage: a power cut could lose changes.</translation>
    </message>
    <message>
        <source>Gebruik de app die al open is, of sluit die en probeer opnieuw.</source>
        <translation>Use the app that is already open, or close it and try again.</translation>
    </message>
    <message>
        <source>De gegevens werden gemaakt door een nieuwere versie van de app.</source>
        <translation>The data was made by a newer version of the app.</translation>
    </message>
    <message>
        <source>Het bestand met de gegevens is beschadigd.</source>
        <translation>The data file is damaged.</translation>
    </message>
    <message>
        <source>Het bestand met de gegevens kon niet gelezen worden.</source>
        <translation>The data file could not be read.</translation>
    </message>
    <message>
        <source>Maak ruimte vrij op de tablet en probeer opnieuw.</source>
        <translation>Free up space on the tablet and try again.</translation>
    </message>
    <message>
        <source>Installeer de nieuwste versie van de app.</source>
        <translation>Install the latest version of the app.</translation>
    </message>
    <message>
        <source>Contacteer de technische hulp van je organisatie (zie de informatiepagina).</source>
        <translation>Contact your organisation&apos;s technical support (see the information page).</translation>
    </message>
    <message>
        <source>De gegevens zelf blijven bewaard: er wordt niets gewist.</source>
        <translation>The data itself is kept: nothing is deleted.</translation>
    </message>
    <message>
        <source>De gegevens van de vorige versie van de app konden niet omgezet worden naar deze versie. Ze staan nog onveranderd op de tablet, ook de wijzigingen die nog naar de server moeten.</source>
        <translation>The data of the previous version of the app could not be converted for this version. It is still on the tablet unchanged, including the changes still to be sent to the server.</translation>
    </message>
</context>
<context>
    <name>SyncState</name>
    <message>
        <source>Nog niet bijgewerkt · %1 wachtend</source>
        <translation>Not updated yet · %1 waiting</translation>
    </message>
    <message>
        <source>Nog niet bijgewerkt · alles verstuurd</source>
        <translation>Not updated yet · all sent</translation>
    </message>
    <message>
        <source>Bijgewerkt %1 · %2 wachtend</source>
        <translation>Updated %1 · %2 waiting</translation>
    </message>
    <message>
        <source>Bijgewerkt %1 · alles verstuurd</source>
        <translation>Updated %1 · all sent</translation>
    </message>
</context>
<context>
    <name>Util</name>
    <message>
        <source>maand</source>
        <translation>month</translation>
    </message>
    <message>
        <source>maanden</source>
        <translation>months</translation>
    </message>
    <message>
        <source>dag</source>
        <translation>day</translation>
    </message>
    <message>
        <source>dagen</source>
        <translation>days</translation>
    </message>
    <message>
        <source>uur</source>
        <translation>hour</translation>
    </message>
    <message>
        <source>uren</source>
        <translation>hours</translation>
    </message>
    <message>
        <source>minuut</source>
        <translation>minute</translation>
    </message>
    <message>
        <source>minuten</source>
        <translation>minutes</translation>
    </message>
    <message>
        <source>second</source>
        <translation>second</translation>
    </message>
    <message>
        <source>seconden</source>
        <translation>seconds</translation>
    </message>
</context>
<context>
    <name>CompactBar</name>
    <message>
        <source>Menu</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>Terug</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Verder</source>
        <translation>Forward</translation>
    </message>
</context>
<context>
    <name>DetailHeader</name>
    <message>
        <source>Inklokken</source>
        <translation>Clock in</translation>
    </message>
    <message>
        <source>Uitklokken</source>
        <translation>Clock out</translation>
    </message>
</context>
<context>
    <name>DetailSuggestions</name>
    <message>
        <source>Suggesties</source>
        <translation>Suggestions</translation>
    </message>
</context>
<context>
    <name>DetailTable</name>
    <message>
        <source>Registraties</source>
        <translation>Registrations</translation>
    </message>
    <message>
        <source>Extra</source>
        <translation>Extra</translation>
    </message>
    <message>
        <source>Boodschappen</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>Voeg product toe</source>
        <translation>Add product</translation>
    </message>
    <message>
        <source>Voeg boodschap toe</source>
        <translation>Add message</translation>
    </message>
    <message>
        <source>Verwijder</source>
        <translation>Delete</translation>
    </message>
</context>
<context>
    <name>DetailSelection</name>
    <message>
        <source>Actieve Selectie</source>
        <translation>Active selection</translation>
    </message>
</context>
<context>
    <name>ServerAddress</name>
    <message>
        <source>Geef het adres van de server van je organisatie in.</source>
        <translation>Enter the address of your organisation&apos;s server.</translation>
    </message>
    <message>
        <source>Een serveradres begint met http:// of https://.</source>
        <translation>A server address starts with http:// or https://.</translation>
    </message>
    <message>
        <source>Dat adres noemt geen server.</source>
        <translation>That address names no server.</translation>
    </message>
    <message>
        <source>Geef enkel het adres van de server, zonder naam, paswoord of ? en #.</source>
        <translation>Enter only the server&apos;s address, without a name, password, ? or #.</translation>
    </message>
</context>
<context>
    <name>ServerAddressStep</name>
    <message>
        <source>Het certificaat van die server wordt niet vertrouwd.</source>
        <translation>That server&apos;s certificate is not trusted.</translation>
    </message>
    <message>
        <source>Op dat adres antwoordt geen server van een organisatie. Kijk het adres na.</source>
        <translation>No organisation&apos;s server answers at that address. Check the address.</translation>
    </message>
    <message>
        <source>De server op dat adres antwoordt niet. Kijk het adres en het netwerk na.</source>
        <translation>The server at that address does not answer. Check the address and the network.</translation>
    </message>
    <message>
        <source>Het adres kon niet bewaard worden. Tik opnieuw op Verder om het nog eens te proberen.</source>
        <translation>The address could not be saved. Tap Next to try once more.</translation>
    </message>
</context>
<context>
    <name>ServerAddressView</name>
    <message>
        <source>Server van je organisatie</source>
        <translation>Your organisation&apos;s server</translation>
    </message>
    <message>
        <source>Geef het adres van de server in dat je van je organisatie kreeg, bijvoorbeeld https://opvang.example.org.</source>
        <translation>Enter the server address your organisation gave you, for example https://opvang.example.org.</translation>
    </message>
    <message>
        <source>https://</source>
        <translation>https://</translation>
    </message>
    <message>
        <source>Verder</source>
        <translation>Next</translation>
    </message>
</context>
<context>
    <name>Kiosk</name>
    <message>
        <source>Gelieve het correcte paswoord in te geven.</source>
        <translation>Please enter the correct password.</translation>
    </message>
</context>
<context>
    <name>KioskExitDialog</name>
    <message>
        <source>Kiosk verlaten</source>
        <translation>Leave the kiosk</translation>
    </message>
    <message>
        <source>Geef het paswoord van een beheerder om de app af te sluiten.</source>
        <translation>Enter an administrator&apos;s password to close the app.</translation>
    </message>
    <message>
        <source>Paswoord</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Annuleer</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Sluit af</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>PhotoGrid</name>
    <message>
        <source>Annuleer</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Er staan geen foto&apos;s in de fotomap (%1).</source>
        <translation>There are no photos in the photo folder (%1).</translation>
    </message>
    <message>
        <source>De fotomap (%1) bestaat niet.</source>
        <translation>The photo folder (%1) does not exist.</translation>
    </message>
</context>
</TS>
