#!/usr/bin/env python3
"""Scrapes URL over HTTP like Prometheus and parses the text with prometheus_client's parser.

Prints one JSON object: the status, the content type, and every family with its samples.
"""
import json
import sys
import urllib.request

from prometheus_client.parser import text_string_to_metric_families


def main(url):
    with urllib.request.urlopen(url, timeout=10) as response:
        status = response.status
        content_type = response.headers.get("Content-Type")
        text = response.read().decode("utf-8")
    families = [
        {
            "name": family.name,
            "type": family.type,
            "help": family.documentation,
            "samples": [
                {"name": sample.name, "labels": sample.labels, "value": sample.value}
                for sample in family.samples
            ],
        }
        for family in text_string_to_metric_families(text)
    ]
    print(json.dumps({"status": status, "content_type": content_type, "families": families}))


if __name__ == "__main__":
    main(sys.argv[1])
