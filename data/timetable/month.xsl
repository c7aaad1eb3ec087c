<?xml version="1.0" encoding="UTF-8"?>
<!-- The month's timetable: one printed A4 page with a row per day. Reads the
     document the add-in builds (Imsakyya, see timetable/ImsakyyaBuilder.h). -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" indent="yes" doctype-public="-//W3C//DTD HTML 4.01//EN"
              doctype-system="http://www.w3.org/TR/html4/strict.dtd"/>

  <xsl:variable name="rtl" select="/Imsakyya/ReadingOrder = 'RTL'"/>
  <xsl:variable name="names" select="/Imsakyya/TranslatedPrayersNames"/>

  <xsl:template match="/">
    <html>
      <xsl:attribute name="dir"><xsl:choose><xsl:when test="$rtl">rtl</xsl:when><xsl:otherwise>ltr</xsl:otherwise></xsl:choose></xsl:attribute>
      <head>
        <title><xsl:value-of select="/Imsakyya/Translations/PrayersTimesFor"/><xsl:text> </xsl:text><xsl:value-of select="/Imsakyya/Location/City"/></title>
        <style type="text/css">
          @page { size: A4 portrait; margin: 10mm; }
          html { background: #f3efe3; }
          body { margin: 0; padding: 16px; font-family: "Amiri", "Noto Naskh Arabic", "Traditional Arabic", "DejaVu Serif", "Times New Roman", serif; color: #1d2a22; }
          .sheet { max-width: 190mm; margin: 0 auto; background: #fffdf6; border: 3px double #1f5c3d; padding: 6mm 7mm; box-shadow: 0 2px 10px rgba(0,0,0,.12); }
          .band { border-top: 2px solid #b8912f; border-bottom: 2px solid #b8912f; height: 5px; margin: 0 0 4mm 0; }
          .band.bottom { margin: 4mm 0 0 0; }
          h1 { font-size: 20pt; margin: 0; text-align: center; color: #1f5c3d; letter-spacing: .02em; }
          .place { text-align: center; font-size: 13pt; margin: 1mm 0 0 0; }
          .zone { text-align: center; font-size: 10pt; color: #5b6b61; margin: 1mm 0 3mm 0; }
          .period { text-align: center; font-size: 15pt; font-weight: bold; color: #8a6a1d; margin: 0 0 3mm 0; }
          table { width: 100%; border-collapse: collapse; font-size: 10.5pt; }
          th { background: #1f5c3d; color: #fffdf6; font-weight: bold; padding: 1.6mm 1mm; border: 1px solid #1f5c3d; }
          td { padding: 1.05mm 1mm; border: 1px solid #cfc6ad; text-align: center; white-space: nowrap; }
          td.weekday { text-align: start; padding-inline-start: 2mm; }
          tbody tr:nth-child(even) td { background: #f7f3e6; }
          tr.friday td { background: #e2eedf; font-weight: bold; color: #174a30; }
          tbody tr.friday:nth-child(even) td { background: #e2eedf; }
          tr.today td { background: #f6dfa0; font-weight: bold; border-top: 2px solid #8a6a1d; border-bottom: 2px solid #8a6a1d; }
          tbody tr.today:nth-child(even) td { background: #f6dfa0; }
          td.time, .offset { direction: ltr; unicode-bidi: isolate; }
          td.time:empty { background-image: linear-gradient(to bottom right, transparent 48%, #cfc6ad 50%, transparent 52%); }
          .key { margin-top: 2mm; font-size: 8.5pt; color: #5b6b61; text-align: center; }
          .key span { display: inline-block; width: 8mm; height: 3mm; vertical-align: middle; margin: 0 1mm; border: 1px solid #cfc6ad; }
          sup.mark { font-size: 68%; font-weight: bold; color: #9a3b1b; margin-inline-start: .15em; vertical-align: super; line-height: 0; }
          .notes { margin: 3mm 0 0 0; font-size: 9pt; color: #3d4a42; }
          .notes p { margin: .8mm 0; padding-inline-start: 7mm; text-indent: -7mm; }
          .notes .sign { display: inline-block; min-width: 7mm; text-indent: 0; font-weight: bold; color: #9a3b1b; direction: ltr; unicode-bidi: isolate; }
          @media print {
            html, body { background: #fff; padding: 0; }
            .sheet { box-shadow: none; max-width: none; padding: 4mm 5mm; }
            th, tr.friday td, tr.today td, tbody tr:nth-child(even) td { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
          }
        </style>
      </head>
      <body>
        <div class="sheet">
          <div class="band"></div>
          <xsl:call-template name="heading"/>
          <div class="period">
            <xsl:value-of select="/Imsakyya/Orvane/Date[1]/@month"/>
            <xsl:text> </xsl:text>
            <xsl:value-of select="/Imsakyya/Orvane/Date[1]/@year"/>
          </div>
          <table>
            <thead>
              <tr>
                <th colspan="2"><xsl:value-of select="/Imsakyya/Translations/Day"/></th>
                <th><xsl:value-of select="$names/Fajr"/></th>
                <th><xsl:value-of select="$names/Shorouk"/></th>
                <th><xsl:value-of select="$names/Zuhr"/></th>
                <th><xsl:value-of select="$names/Asr"/></th>
                <th><xsl:value-of select="$names/Maghrib"/></th>
                <th><xsl:value-of select="$names/Isha"/></th>
              </tr>
            </thead>
            <tbody>
              <xsl:apply-templates select="/Imsakyya/Orvane/Date"/>
            </tbody>
          </table>
          <xsl:call-template name="notes"/>
          <div class="band bottom"></div>
        </div>
      </body>
    </html>
  </xsl:template>

  <xsl:template name="heading">
    <h1><xsl:value-of select="/Imsakyya/Translations/PrayersTimesFor"/></h1>
    <div class="place">
      <xsl:value-of select="/Imsakyya/Location/City"/>
      <xsl:if test="normalize-space(/Imsakyya/Location/State) != ''">
        <xsl:call-template name="comma"/><xsl:value-of select="/Imsakyya/Location/State"/>
      </xsl:if>
      <xsl:if test="normalize-space(/Imsakyya/Location/Country) != ''">
        <xsl:call-template name="comma"/><xsl:value-of select="/Imsakyya/Location/Country"/>
      </xsl:if>
    </div>
    <div class="zone">
      <xsl:text>(</xsl:text><xsl:value-of select="/Imsakyya/Translations/GMT"/>
      <xsl:if test="normalize-space(/Imsakyya/Location/TimeZone) != ''">
        <xsl:text> </xsl:text><span class="offset" dir="ltr"><xsl:value-of select="normalize-space(/Imsakyya/Location/TimeZone)"/></span>
      </xsl:if>
      <xsl:text>)</xsl:text>
    </div>
  </xsl:template>

  <!-- A time, with its marks: * the high-latitude rule gave it, +1 after
       midnight (on the next day), -1 before midnight (on the day before). -->
  <xsl:template name="marks">
    <xsl:param name="time"/>
    <xsl:if test="$time/@rule = '1'"><sup class="mark">*</sup></xsl:if>
    <xsl:if test="$time/@dayoffset = '1'"><sup class="mark">+1</sup></xsl:if>
    <xsl:if test="$time/@dayoffset = '-1'"><sup class="mark">-1</sup></xsl:if>
  </xsl:template>

  <!-- The footnotes of the marks that occur. -->
  <xsl:template name="notes">
    <xsl:if test="/Imsakyya/Notes/*">
      <div class="notes">
        <xsl:if test="/Imsakyya/Notes/Rule"><p><span class="sign">*</span><xsl:text> </xsl:text><xsl:value-of select="/Imsakyya/Notes/Rule"/></p></xsl:if>
        <xsl:if test="/Imsakyya/Notes/NextDay"><p><span class="sign">+1</span><xsl:text> </xsl:text><xsl:value-of select="/Imsakyya/Notes/NextDay"/></p></xsl:if>
        <xsl:if test="/Imsakyya/Notes/PreviousDay"><p><span class="sign">-1</span><xsl:text> </xsl:text><xsl:value-of select="/Imsakyya/Notes/PreviousDay"/></p></xsl:if>
      </div>
    </xsl:if>
  </xsl:template>

  <xsl:template name="comma">
    <xsl:choose><xsl:when test="$rtl"><xsl:text>، </xsl:text></xsl:when><xsl:otherwise><xsl:text>, </xsl:text></xsl:otherwise></xsl:choose>
  </xsl:template>

  <!-- Friday, in the three languages of the day names. -->
  <xsl:template name="row-class">
    <xsl:variable name="friday" select="@dayofweek = 'Friday' or @dayofweek = 'vendredi' or @dayofweek = 'Vendredi' or @dayofweek = 'الجمعة'"/>
    <xsl:if test="$friday or @today = '1'">
      <xsl:attribute name="class">
        <xsl:if test="$friday">friday</xsl:if>
        <xsl:if test="$friday and @today = '1'"><xsl:text> </xsl:text></xsl:if>
        <xsl:if test="@today = '1'">today</xsl:if>
      </xsl:attribute>
    </xsl:if>
  </xsl:template>

  <xsl:template match="Date">
    <tr>
      <xsl:call-template name="row-class"/>
      <td class="date"><xsl:value-of select="@day"/></td>
      <td class="weekday"><xsl:value-of select="@dayofweek"/></td>
      <td class="time"><xsl:value-of select="Fajr"/><xsl:call-template name="marks"><xsl:with-param name="time" select="Fajr"/></xsl:call-template></td>
      <td class="time"><xsl:value-of select="Shorouk"/><xsl:call-template name="marks"><xsl:with-param name="time" select="Shorouk"/></xsl:call-template></td>
      <td class="time"><xsl:value-of select="Zuhr"/><xsl:call-template name="marks"><xsl:with-param name="time" select="Zuhr"/></xsl:call-template></td>
      <td class="time"><xsl:value-of select="Asr"/><xsl:call-template name="marks"><xsl:with-param name="time" select="Asr"/></xsl:call-template></td>
      <td class="time"><xsl:value-of select="Maghrib"/><xsl:call-template name="marks"><xsl:with-param name="time" select="Maghrib"/></xsl:call-template></td>
      <td class="time"><xsl:value-of select="Isha"/><xsl:call-template name="marks"><xsl:with-param name="time" select="Isha"/></xsl:call-template></td>
    </tr>
  </xsl:template>
</xsl:stylesheet>
