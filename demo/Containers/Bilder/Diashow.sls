Willkommen.png
Anstoss.jpg
Sponsor.jpg
