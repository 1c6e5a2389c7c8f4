<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="hi_IN">
<context>
    <name>CommandLine</name>
    <message>
        <source>Try &apos;ovantic --help&apos;.</source>
        <translation>&apos;ovantic --help&apos; चलाकर देखें।</translation>
    </message>
    <message>
        <source>Currency converter in the system tray. Without options, starts Ovantic, or opens the panel of the one already running.</source>
        <translation>सिस्टम ट्रे में मुद्रा परिवर्तक। बिना किसी विकल्प के यह Ovantic शुरू करता है, या पहले से चल रहे Ovantic का पैनल खोलता है।</translation>
    </message>
    <message>
        <source>Opens the running Ovantic&apos;s panel, or closes it when it is open. Bind a key to this.</source>
        <translation>चल रहे Ovantic का पैनल खोलता है, और खुला हो तो बंद करता है। इसे किसी शॉर्टकट कुंजी से जोड़ें।</translation>
    </message>
    <message>
        <source>Ends the running Ovantic.</source>
        <translation>चल रहे Ovantic को बंद करता है।</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>अनपेक्षित आर्ग्युमेंट &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--toggle and --quit ask opposite things; give one</source>
        <translation>--toggle और --quit उलटे काम माँगते हैं; इनमें से कोई एक दें</translation>
    </message>
</context>
<context>
    <name>ModelTexts</name>
    <message>
        <source>Invalid</source>
        <translation>अमान्य</translation>
    </message>
    <message>
        <source>Fetching rates...</source>
        <translation>दरें लाई जा रही हैं...</translation>
    </message>
    <message>
        <source>Loading rates...</source>
        <translation>दरें लोड हो रही हैं...</translation>
    </message>
    <message>
        <source>No rate for %1</source>
        <translation>%1 की दर उपलब्ध नहीं</translation>
    </message>
    <message>
        <source>Failed to load rates</source>
        <translation>दरें लोड नहीं हो सकीं</translation>
    </message>
    <message>
        <source>Error loading rates</source>
        <translation>दरें लोड करने में गड़बड़ी</translation>
    </message>
    <message>
        <source>Failed to parse rates</source>
        <translation>दरें पढ़ी नहीं जा सकीं</translation>
    </message>
    <message>
        <source>kept under a minute</source>
        <translation>सहेजी हुई, एक मिनट से कम पुरानी</translation>
    </message>
    <message numerus="yes">
        <source>kept %Ln minute(s)</source>
        <translation>
            <numerusform>सहेजी हुई, %Ln मिनट पुरानी</numerusform>
            <numerusform>सहेजी हुई, %Ln मिनट पुरानी</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>kept %Ln hour(s)</source>
        <translation>
            <numerusform>सहेजी हुई, %Ln घंटा पुरानी</numerusform>
            <numerusform>सहेजी हुई, %Ln घंटे पुरानी</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>kept %Ln day(s)</source>
        <translation>
            <numerusform>सहेजी हुई, %Ln दिन पुरानी</numerusform>
            <numerusform>सहेजी हुई, %Ln दिन पुरानी</numerusform>
        </translation>
    </message>
    <message>
        <source>fetched just now</source>
        <translation>अभी-अभी अपडेट हुईं</translation>
    </message>
    <message numerus="yes">
        <source>fetched %Ln minute(s) ago</source>
        <translation>
            <numerusform>%Ln मिनट पहले अपडेट हुईं</numerusform>
            <numerusform>%Ln मिनट पहले अपडेट हुईं</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>fetched %Ln hour(s) ago</source>
        <translation>
            <numerusform>%Ln घंटा पहले अपडेट हुईं</numerusform>
            <numerusform>%Ln घंटे पहले अपडेट हुईं</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>fetched %Ln day(s) ago</source>
        <translation>
            <numerusform>%Ln दिन पहले अपडेट हुईं</numerusform>
            <numerusform>%Ln दिन पहले अपडेट हुईं</numerusform>
        </translation>
    </message>
    <message>
        <source>Rates %1</source>
        <extracomment>%1 is how old they are, such as &quot;fetched 5 minutes ago&quot;</extracomment>
        <translation>दरें %1</translation>
    </message>
    <message>
        <source>Rates of %1, %2</source>
        <extracomment>%1 is the day the rates are from, %2 how old they are, such as &quot;fetched 5 minutes ago&quot;</extracomment>
        <translation>%1 की दरें, %2</translation>
    </message>
</context>
<context>
    <name>ovantic::AllConversionsView</name>
    <message>
        <source>All Units</source>
        <translation>सभी इकाइयाँ</translation>
    </message>
    <message>
        <source>Exact amount; press to copy</source>
        <translation>सटीक राशि; कॉपी करने के लिए दबाएँ</translation>
    </message>
    <message>
        <source>Press to copy</source>
        <translation>कॉपी करने के लिए दबाएँ</translation>
    </message>
    <message>
        <source>Copied %1</source>
        <translation>%1 कॉपी हो गया</translation>
    </message>
    <message>
        <source>Exact</source>
        <translation>सटीक</translation>
    </message>
    <message>
        <source>Thousand</source>
        <translation>हज़ार</translation>
    </message>
    <message>
        <source>Lakh</source>
        <translation>लाख</translation>
    </message>
    <message>
        <source>Million</source>
        <translation>मिलियन</translation>
    </message>
    <message>
        <source>Crore</source>
        <translation>करोड़</translation>
    </message>
    <message>
        <source>Billion</source>
        <translation>बिलियन</translation>
    </message>
    <message>
        <source>Units</source>
        <translation>इकाइयाँ</translation>
    </message>
</context>
<context>
    <name>ovantic::AmountRow</name>
    <message>
        <source>Source currency</source>
        <translation>किस मुद्रा से</translation>
    </message>
    <message>
        <source>Amount</source>
        <translation>राशि</translation>
    </message>
    <message>
        <source>Type an amount such as 2.5 cr or 45 lakh; Enter copies the result</source>
        <translation>राशि लिखें, जैसे 2.5 cr या 45 lakh; Enter दबाने पर नतीजा कॉपी हो जाता है</translation>
    </message>
    <message>
        <source>Unit: %1</source>
        <translation>इकाई: %1</translation>
    </message>
</context>
<context>
    <name>ovantic::AppDelegate</name>
    <message>
        <source>About Ovantic</source>
        <translation>Ovantic के बारे में</translation>
    </message>
</context>
<context>
    <name>ovantic::AppMenu</name>
    <message>
        <source>Start at login</source>
        <translation>लॉगिन पर शुरू करें</translation>
    </message>
    <message>
        <source>About Ovantic</source>
        <translation>Ovantic के बारे में</translation>
    </message>
    <message>
        <source>Ovantic menu</source>
        <translation>Ovantic मेन्यू</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>बंद करें</translation>
    </message>
    <message>
        <source>Ovantic %1

Converts currencies in the system tray, in lakh and crore as well as million and billion.

Licence: proprietary, all rights reserved.
Exchange rates: %2, or a second public service when it fails, fetched each time the panel opens; the last good ones are kept for when both fail. Every cross rate is worked out from a US-dollar table.</source>
        <translation>Ovantic %1

सिस्टम ट्रे से ही मुद्रा बदलें — लाख और करोड़ में भी, मिलियन और बिलियन में भी।

लाइसेंस: मालिकाना, सर्वाधिकार सुरक्षित।
विनिमय दरें: %2 से, और वह न चले तो एक दूसरी सार्वजनिक सेवा से। पैनल खुलते ही हर बार नई दरें ली जाती हैं; दोनों न चलें तो पिछली सही दरें काम आती हैं। हर क्रॉस रेट अमेरिकी डॉलर की तालिका से निकाला जाता है।</translation>
    </message>
</context>
<context>
    <name>ovantic::ConverterPanel</name>
    <message>
        <source>Ovantic currency converter</source>
        <translation>Ovantic मुद्रा परिवर्तक</translation>
    </message>
    <message>
        <source>Copied %1</source>
        <translation>%1 कॉपी हो गया</translation>
    </message>
</context>
<context>
    <name>ovantic::CurrencyPopup</name>
    <message>
        <source>No currency matches</source>
        <translation>कोई मुद्रा नहीं मिली</translation>
    </message>
    <message>
        <source>Currencies</source>
        <translation>मुद्राएँ</translation>
    </message>
    <message>
        <source>Search currencies</source>
        <translation>मुद्रा खोजें</translation>
    </message>
    <message>
        <source>Search code, name or country</source>
        <translation>कोड, नाम या देश से खोजें</translation>
    </message>
</context>
<context>
    <name>ovantic::FooterView</name>
    <message>
        <source>Mini App built by </source>
        <translation>मिनी ऐप, बनाने वाले: </translation>
    </message>
</context>
<context>
    <name>ovantic::HeaderView</name>
    <message>
        <source>Quickly convert between Lakhs, Crores, Billions, Millions</source>
        <translation>लाख, करोड़, बिलियन और मिलियन में झटपट बदलें</translation>
    </message>
    <message>
        <source>Ovantic icon</source>
        <translation>Ovantic आइकन</translation>
    </message>
    <message>
        <source>Refresh rates</source>
        <translation>दरें रीफ़्रेश करें</translation>
    </message>
    <message>
        <source>Refresh rates (F5)</source>
        <translation>दरें रीफ़्रेश करें (F5)</translation>
    </message>
    <message>
        <source>Menu</source>
        <translation>मेन्यू</translation>
    </message>
</context>
<context>
    <name>ovantic::LinkLabel</name>
    <message>
        <source>Opens %1</source>
        <translation>%1 खोलता है</translation>
    </message>
</context>
<context>
    <name>ovantic::Panel</name>
    <message>
        <source>Copied!</source>
        <translation>कॉपी हो गया!</translation>
    </message>
    <message>
        <source>, current</source>
        <translation>, अभी चुनी हुई</translation>
    </message>
</context>
<context>
    <name>ovantic::ResultRow</name>
    <message>
        <source>Target currency</source>
        <translation>किस मुद्रा में</translation>
    </message>
    <message>
        <source>Result; press to copy</source>
        <translation>नतीजा; कॉपी करने के लिए दबाएँ</translation>
    </message>
    <message>
        <source>Copied %1</source>
        <translation>%1 कॉपी हो गया</translation>
    </message>
</context>
<context>
    <name>ovantic::TrayPresence</name>
    <message>
        <source>Ovantic is waiting for a system tray</source>
        <translation>Ovantic सिस्टम ट्रे का इंतज़ार कर रहा है</translation>
    </message>
    <message>
        <source>Its icon appears as soon as a system tray runs. On GNOME, install and enable the AppIndicator extension (gnome-shell-extension-appindicator); on other desktops, add a system tray or status notifier widget to a panel.</source>
        <translation>सिस्टम ट्रे चलते ही इसका आइकन दिखेगा। GNOME पर AppIndicator एक्सटेंशन (gnome-shell-extension-appindicator) इंस्टॉल करके चालू करें; दूसरे डेस्कटॉप पर किसी पैनल में सिस्टम ट्रे या स्टेटस नोटिफ़ायर विजेट जोड़ें।</translation>
    </message>
</context>
<context>
    <name>ovantic::UnitConversionView</name>
    <message>
        <source>Swap currencies</source>
        <translation>मुद्राएँ अदला-बदली करें</translation>
    </message>
</context>
</TS>
